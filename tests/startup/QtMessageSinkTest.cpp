#include "host/qt/QtMessageSink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace qv4130 {
namespace {

TEST(QtMessageSink, ShowsAModalOkBoxWithTheIconAskedAndTheTitleOrTheProgramName) {
    struct Row {
        const char* text;
        std::optional<std::string> title; // none: the program's name
        MessageIcon icon;
        const char* shownText;
        QMessageBox::Icon shownIcon;
    };
    const Row rows[] = {
        {"no port", {}, MessageIcon::None, "no port", QMessageBox::NoIcon},
        {"No port", "GetPortAddress Error", MessageIcon::Exclamation, "No port",
         QMessageBox::Warning},
        // A lone carriage return breaks the line; markup stays text.
        {"Version:\rAddress", "Show Status", MessageIcon::Information, "Version:\nAddress",
         QMessageBox::Information},
        {"a\r\nb <b>c</b>\r", {}, MessageIcon::Critical, "a\nb <b>c</b>\n", QMessageBox::Critical},
    };
    QtMessageSink sink;
    for (const Row& row : rows) {
        bool answered = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            answered = true;
            EXPECT_EQ(box->windowTitle().toStdString(), row.title.value_or("QV4130"));
            EXPECT_EQ(box->text().toStdString(), row.shownText);
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->icon(), row.shownIcon);
            EXPECT_EQ(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
            box->button(QMessageBox::Ok)->click();
        });
        sink.ShowMessage(row.text, row.title, row.icon);
        EXPECT_TRUE(answered) << row.text;
    }
}

} // namespace
} // namespace qv4130
