// Every caption of the four windows fits the box the window's layout gives it,
// in the fonts this desktop has: a substitute face wider than the designed one
// would wrap a label onto a line it has no room for, or cut a button's caption.
#include "about/HostFakes.h"
#include "modes/ModeWindowHarness.h"
#include "ui/FormGeometry.h"
#include "ui/MainForm.h"
#include "ui/frmAbout.h"

#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace qv4130::test {
namespace {

// How much of `text` sticks out of `room`, in pixels; lines are the text's own.
int Overhang(const QWidget& control, const QString& text, int room) {
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        widest = std::max(widest, control.fontMetrics().horizontalAdvance(line));
    }
    return widest - room;
}

// What does not fit, one line per control; empty when all do.
QStringList Misfits(QWidget& window) {
    QStringList misfits;
    const auto note = [&](const QWidget& control, const QString& text, int over) {
        if (over > 0) {
            misfits << QStringLiteral("%1 \"%2\": %3 px over")
                           .arg(control.objectName(), text)
                           .arg(over);
        }
    };
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->text().isEmpty() || label->textFormat() == Qt::RichText) {
            continue;
        }
        if (label->wordWrap()) {
            // Wrapped, its lines must stand within the box's designed height.
            const QRect needed = label->fontMetrics().boundingRect(
                QRect(0, 0, label->width(), 10000), Qt::TextWordWrap, label->text());
            note(*label, label->text(), needed.height() - label->height());
            note(*label, label->text(), needed.width() - label->width());
        } else {
            note(*label, label->text(), Overhang(*label, label->text(), label->width()));
        }
    }
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (!button->isVisibleTo(&window)) {
            continue; // the mode windows' unseen entry-check button
        }
        const QString text = button->text().remove(QLatin1Char('&'));
        const int margin =
            2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        note(*button, text, Overhang(*button, text, button->width() - margin));
    }
    for (QRadioButton* option : window.findChildren<QRadioButton*>()) {
        QStyleOptionButton style;
        style.initFrom(option);
        const int indicator =
            option->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &style, option) +
            option->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &style, option);
        const QString text = option->text().remove(QLatin1Char('&'));
        note(*option, text, Overhang(*option, text, option->width() - indicator));
    }
    return misfits;
}

class TextFitsTest : public WindowTest {};

TEST_F(TextFitsTest, EveryCaptionFitsItsBoxInTheFontThisDesktopHas) {
    FakeSystemInformationHost host;
    const std::pair<const char*, std::function<std::unique_ptr<QWidget>()>> windows[] = {
        {"main", [&] { return std::make_unique<MainForm>(board, messages, ChildWindows{}); }},
        {"Mode 1", [&] { return std::make_unique<Mode1Form>(board, messages, nullptr); }},
        {"Mode 2", [&] { return std::make_unique<Mode2Form>(board, messages, nullptr); }},
        {"About", [&] { return std::make_unique<frmAbout>(host.Host()); }},
    };
    for (const auto& [name, make] : windows) {
        const std::unique_ptr<QWidget> window = make();
        window->show();
        EXPECT_EQ(Misfits(*window), QStringList())
            << name << " window, in " << QFontInfo(FormFont()).family().toStdString();
    }
}

} // namespace
} // namespace qv4130::test
