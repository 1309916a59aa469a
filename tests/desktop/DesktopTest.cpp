// The windows on a real X server with a window manager (run_on_desktop.sh): where
// they land once the window manager has framed them, as the operator sees them,
// and whether every caption fits the box the window's layout gives it, in the
// fonts this desktop has: a substitute face wider than the designed one would
// wrap a label onto a line it has no room for, or cut a button's caption.
#include "about/HostFakes.h"
#include "modes/ModeWindowHarness.h"
#include "ui/ChildWindows.h"
#include "ui/FormGeometry.h"
#include "ui/MainForm.h"
#include "ui/frmAbout.h"
#include "virtualboard/VirtualBoard.h"
#include "virtualboard/qt/VirtualBoardPanel.h"

#include <QFontInfo>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWindow>

#include <cstdlib>
#include <functional>

namespace qv4130::test {
namespace {

// The window's outer rectangle as the X server has it: the widget's own copy
// lags behind the window manager.
QRect Framed(const QWidget& window) {
    return window.windowHandle()->frameGeometry();
}

// A loaded machine can take seconds to map and frame a window; waiting ends as
// soon as it is done.
constexpr int PatienceMs = 20000;

// Shown and framed: a title bar above it.
void ShowFramed(QWidget& window) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, PatienceMs))
        << window.windowTitle().toStdString() << " never exposed";
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.windowHandle()->frameMargins().top() > 0; },
                                PatienceMs))
        << window.windowTitle().toStdString() << " never framed: is the window manager running?";
}

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
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(&window)) {
            continue; // the mode windows' unseen entry-check button
        }
        // The caption's room: a push button's less its margins, an option's less
        // its indicator and the space after it.
        QStyleOptionButton style;
        style.initFrom(button);
        const auto metric = [&](QStyle::PixelMetric which) {
            return button->style()->pixelMetric(which, &style, button);
        };
        const int taken = qobject_cast<QRadioButton*>(button) != nullptr
                              ? metric(QStyle::PM_ExclusiveIndicatorWidth) +
                                    metric(QStyle::PM_RadioButtonLabelSpacing)
                              : 2 * metric(QStyle::PM_ButtonMargin);
        const QString text = button->text().remove(QLatin1Char('&'));
        note(*button, text, Overhang(*button, text, button->width() - taken));
    }
    return misfits;
}

class DesktopTest : public WindowTest {
protected:
    std::unique_ptr<MainForm> NewMainForm() {
        return std::make_unique<MainForm>(board, messages,
                                          ProgramChildWindows(board, messages, host.Host()),
                                          MainFormHooks{[] {}, [] {}});
    }
    FakeSystemInformationHost host;
};

TEST_F(DesktopTest, WindowsAreCentredOnTheScreenByTheirFramedSizeAndTheirCaptionsFit) {
    const std::function<std::unique_ptr<QWidget>()> windows[] = {
        [&] { return NewMainForm(); },
        [&] { return std::make_unique<Mode1Form>(board, messages, nullptr); },
        [&] { return std::make_unique<Mode2Form>(board, messages, nullptr); },
        [&] { return std::make_unique<frmAbout>(host.Host()); },
    };
    for (const auto& make : windows) {
        const std::unique_ptr<QWidget> window = make();
        ShowFramed(*window);
        EXPECT_EQ(Misfits(*window), QStringList()) << window->windowTitle().toStdString() << ", in "
                                                   << QFontInfo(FormFont()).family().toStdString();
        const auto off = [&] {
            return Framed(*window).center() - window->screen()->geometry().center();
        };
        // Moved once framed: as long as the window goes on looking for its frame.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return std::abs(off().x()) <= 1 && std::abs(off().y()) <= 1; }, 3000))
            << window->windowTitle().toStdString() << " off centre by " << off().x() << ", "
            << off().y();
    }
}

// At the desktop's font the panel shows whole beside the main window; at three
// times that size it is taller than the screen, and scrolls up and down.
TEST_F(DesktopTest, TheVirtualBoardPanelStaysOnTheScreenAndScrollsWhereItMust) {
    VirtualBoard board;
    const std::unique_ptr<MainForm> mainForm = NewMainForm();
    ShowFramed(*mainForm);
    for (const double scale : {1.0, 3.0}) {
        VirtualBoardPanel panel(board);
        QFont font = panel.font();
        font.setPointSizeF(font.pointSizeF() * scale);
        panel.setFont(font);
        panel.ShowBeside(*mainForm);
        ShowFramed(panel);
        QTest::qWait(500); // past the placement that follows the frame

        const QRect available = panel.screen()->availableGeometry();
        EXPECT_TRUE(available.contains(Framed(panel)))
            << "font x" << scale << ": " << Framed(panel).height() << " high";
        const auto* scroll = panel.findChild<QScrollArea*>();
        EXPECT_EQ(scroll->verticalScrollBar()->isVisible(), scale > 1) << "font x" << scale;
        EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible()) << "font x" << scale;
    }
}

} // namespace
} // namespace qv4130::test
