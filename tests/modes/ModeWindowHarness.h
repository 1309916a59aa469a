#pragma once

#include "board/SharedState.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingPortLibrary.h"
#include "ui/Mode1Form.h"
#include "ui/Mode2Form.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Failures show text, not the bytes of a QString.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace qv4130::testing {

// A chip powered up on LPT1, a recording port and message sink, and the
// operator's hands on a mode window. DataValue starts at a value no entry here gives.
class ModeWindowTest : public ::testing::Test {
public:
    static constexpr std::int16_t Untouched = 999;

    ModeWindowTest() {
        state.PortAddress = 888;
        state.DevicePowered = 1;
        state.DataValue = Untouched;
    }

    // Mode 1 or 2, shown and active, so that the focus moves as it does on a desktop.
    std::unique_ptr<QWidget> Open(int mode) {
        std::unique_ptr<QWidget> form;
        if (mode == 1) {
            form = std::make_unique<Mode1Form>(port, state, messages, nullptr);
        } else {
            form = std::make_unique<Mode2Form>(port, state, messages, nullptr);
        }
        form->show();
        QApplication::setActiveWindow(form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form;
    }

    static QWidget* Child(QWidget& form, const QString& name) {
        auto* child = form.findChild<QWidget*>(name);
        EXPECT_NE(child, nullptr) << name.toStdString();
        return child;
    }
    static QLineEdit* Field(QWidget& form) { return form.findChild<QLineEdit*>("Text1"); }
    static bool Checked(QWidget& form, const QString& name) {
        return form.findChild<QRadioButton*>(name)->isChecked();
    }
    static void Click(QWidget& form, const QString& name) {
        QTest::mouseClick(Child(form, name), Qt::LeftButton);
    }
    // Clicks into the field and replaces its text by typing; the focus stays there.
    static void Type(QWidget& form, const QString& text) {
        QTest::mouseClick(Field(form), Qt::LeftButton);
        Field(form)->clear();
        QTest::keyClicks(Field(form), text);
    }
    static QWidget* Focus() { return QApplication::focusWidget(); }

    RecordingPortLibrary port;
    SharedState state;
    RecordingMessageSink messages;
};

} // namespace qv4130::testing
