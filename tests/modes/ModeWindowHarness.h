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
// operator's hands on a mode window.
class ModeWindowTest : public ::testing::Test {
public:
    ModeWindowTest() {
        state.PortAddress = 888;
        state.DevicePowered = 1;
    }

    // Shown and active, so that the focus moves as it does on a desktop.
    template <class Form> std::unique_ptr<Form> Open() {
        auto form = std::make_unique<Form>(port, state, messages, nullptr);
        form->show();
        QApplication::setActiveWindow(form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form;
    }

    template <class W = QWidget> static W* Child(QWidget& form, const QString& name) {
        W* child = form.findChild<W*>(name);
        EXPECT_NE(child, nullptr) << name.toStdString();
        return child;
    }
    static QLineEdit* Field(QWidget& form) { return Child<QLineEdit>(form, "Text1"); }
    static QRadioButton* Option(QWidget& form, const QString& name) {
        return Child<QRadioButton>(form, name);
    }
    static QRadioButton* Channel(QWidget& form, int member) {
        return Option(form, QStringLiteral("Option1_%1").arg(member));
    }
    static void Click(QWidget& form, const QString& name) {
        QTest::mouseClick(Child(form, name), Qt::LeftButton);
    }
    // Clicks into the field and replaces its text by typing; the focus stays there.
    static void Type(QWidget& form, const QString& text) {
        QTest::mouseClick(Field(form), Qt::LeftButton);
        Field(form)->selectAll();
        Field(form)->del();
        QTest::keyClicks(Field(form), text);
    }

    RecordingPortLibrary port;
    SharedState state;
    RecordingMessageSink messages;
};

} // namespace qv4130::testing
