#include "host/qt/QtMessageSink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace qv4130 {
namespace {

// Once the box is up, hands it to `inspect` and presses its OK button. Gives up
// (closing whatever is modal) rather than leave the test hanging.
void AnswerNextBox(std::function<void(QMessageBox&)> inspect, int triesLeft = 200) {
    QTimer::singleShot(10, [inspect = std::move(inspect), triesLeft] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr && triesLeft > 0) {
            AnswerNextBox(inspect, triesLeft - 1);
            return;
        }
        if (box == nullptr) {
            ADD_FAILURE() << "no modal message box came up";
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
            return;
        }
        inspect(*box);
        box->button(QMessageBox::Ok)->click();
    });
}

TEST(MessageBoxText, ALoneCarriageReturnBreaksTheLine) {
    struct Row {
        const char* text;
        const char* shown;
    };
    for (const Row& row :
         {Row{"Windows Version:\rPort Address:0x0", "Windows Version:\nPort Address:0x0"},
          Row{"a\r\nb", "a\nb"}, Row{"a\nb", "a\nb"}, Row{"a\r\rb\r", "a\n\nb\n"},
          Row{"no break", "no break"}}) {
        EXPECT_EQ(MessageBoxText(row.text).toStdString(), row.shown);
    }
}

TEST(QtMessageSink, ShowsAModalBoxWithOnlyOkTheIconAskedAndTheTitleOrTheProgramName) {
    struct Row {
        const char* text;
        std::optional<std::string> title;
        MessageIcon icon;
        const char* shownTitle;
        const char* shownText;
        QMessageBox::Icon shownIcon;
    };
    const Row rows[] = {
        {"claim parallel port failed", std::nullopt, MessageIcon::None, "QV4130",
         "claim parallel port failed", QMessageBox::NoIcon},
        {"This PC does not appear to have a Printer Port", "GetPortAddress Error",
         MessageIcon::Exclamation, "GetPortAddress Error",
         "This PC does not appear to have a Printer Port", QMessageBox::Warning},
        {"Windows Version:\rPort Address:0x378", "Show Status", MessageIcon::Information,
         "Show Status", "Windows Version:\nPort Address:0x378", QMessageBox::Information},
        {"no <b>markup</b> here", std::nullopt, MessageIcon::Critical, "QV4130",
         "no <b>markup</b> here", QMessageBox::Critical},
    };
    QtMessageSink sink;
    for (const Row& row : rows) {
        bool answered = false;
        AnswerNextBox([&](QMessageBox& box) {
            answered = true;
            EXPECT_EQ(box.windowTitle().toStdString(), row.shownTitle);
            EXPECT_EQ(box.text().toStdString(), row.shownText);
            EXPECT_EQ(box.textFormat(), Qt::PlainText);
            EXPECT_EQ(box.icon(), row.shownIcon);
            EXPECT_EQ(box.standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
            EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
        });
        sink.ShowMessage(row.text, row.title, row.icon);
        EXPECT_TRUE(answered) << row.text;
    }
}

} // namespace
} // namespace qv4130
