#pragma once

#include "board/Board.h"
#include "board/SharedState.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingPortLibrary.h"
#include "ui/Mode1Form.h"
#include "ui/Mode2Form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Failures show text, not the bytes of a QString.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace qv4130::test {

// The operator's hands on the windows, with the board on LPT1 behind a recording
// port and message sink. DataValue starts at a value no entry gives.
class WindowTest : public ::testing::Test {
public:
    static constexpr std::int16_t Untouched = 999;

    WindowTest() : state{.PortAddress = 888, .DataValue = Untouched} {}

    // A control by its name or by the caption the operator reads on it.
    static QWidget* Find(QWidget& window, const QString& nameOrCaption) {
        for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
            if (button->text() == nameOrCaption) {
                return button;
            }
        }
        return window.findChild<QWidget*>(nameOrCaption);
    }
    static void Click(QWidget& window, const QString& nameOrCaption) {
        QWidget* control = Find(window, nameOrCaption);
        ASSERT_NE(control, nullptr) << nameOrCaption.toStdString();
        QTest::mouseClick(control, Qt::LeftButton);
    }
    static QWidget* Focus() { return QApplication::focusWidget(); }
    // Shown and active, so that the focus moves as it does on a desktop.
    static void ShowActive(QWidget& window) {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // A fresh Mode 1 or Mode 2 window, shown and active.
    std::unique_ptr<QDialog> Open(int mode) {
        std::unique_ptr<QDialog> form =
            mode == 1
                ? std::unique_ptr<QDialog>(std::make_unique<Mode1Form>(board, messages, nullptr))
                : std::make_unique<Mode2Form>(board, messages, nullptr);
        ShowActive(*form);
        return form;
    }
    static QLineEdit* Field(QWidget& form) { return form.findChild<QLineEdit*>("Text1"); }
    // Clicks into the field and replaces its text by typing; the focus stays there.
    static void Type(QWidget& form, const QString& text) {
        QTest::mouseClick(Field(form), Qt::LeftButton);
        Field(form)->clear();
        QTest::keyClicks(Field(form), text);
    }

    RecordingPortLibrary port;
    SharedState state;
    Board board{port, state};
    RecordingMessageSink messages;
};

} // namespace qv4130::test
