#pragma once

#include "board/SharedState.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingPortLibrary.h"
#include "ui/Mode1Form.h"
#include "ui/Mode2Form.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace qv4130::testing {

// A board on LPT1 with the chip powered, a recording port and message sink,
// and helpers to open a mode window and work it as the operator would.
class ModeWindowTest : public ::testing::Test {
public:
    ModeWindowTest() {
        state.PortAddress = 888;
        state.DevicePowered = 1;
    }

    // Constructs and shows the window, active, so that focus moves as on a desktop.
    template <class Form> std::unique_ptr<Form> Open() {
        auto form = std::make_unique<Form>(port, state, messages, nullptr);
        form->show();
        QApplication::setActiveWindow(form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form;
    }

    template <class W> static W* Child(QWidget& form, const char* name) {
        W* child = form.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    static QLineEdit* Field(QWidget& form) { return Child<QLineEdit>(form, "Text1"); }
    static QWidget* Pic(QWidget& form) { return Child<QWidget>(form, "Pic"); }
    static QRadioButton* Channel(QWidget& form, int member) {
        const QByteArray name = QStringLiteral("Option1_%1").arg(member).toLatin1();
        return Child<QRadioButton>(form, name.constData());
    }
    static void Click(QWidget& form, const char* name) {
        QTest::mouseClick(Child<QWidget>(form, name), Qt::LeftButton);
    }
    static void SelectChannel(QWidget& form, int member) {
        QTest::mouseClick(Channel(form, member), Qt::LeftButton);
    }

    // Clicks into the field, replaces its text by typing, and stays in it.
    static void Type(QWidget& form, const QString& text) {
        QLineEdit* field = Field(form);
        QTest::mouseClick(field, Qt::LeftButton);
        field->selectAll();
        field->del();
        QTest::keyClicks(field, text);
    }

    RecordingPortLibrary port;
    SharedState state;
    RecordingMessageSink messages;
};

} // namespace qv4130::testing
