// The checked entry field both mode windows share, worked through real widgets.
#include "ModeWindowHarness.h"

#include <QWidget>

namespace qv4130::testing {
namespace {

enum class Leave { Enter, Tab, ClickChannel };

const char* Name(Leave how) {
    switch (how) {
    case Leave::Enter:
        return "Enter";
    case Leave::Tab:
        return "Tab";
    case Leave::ClickChannel:
        return "click on a channel";
    }
    return "?";
}

void LeaveField(QWidget& form, Leave how) {
    QLineEdit* field = ModeWindowTest::Field(form);
    switch (how) {
    case Leave::Enter:
        QTest::keyClick(field, Qt::Key_Return);
        break;
    case Leave::Tab:
        QTest::keyClick(field, Qt::Key_Tab);
        break;
    case Leave::ClickChannel:
        ModeWindowTest::SelectChannel(form, 9);
        break;
    }
}

constexpr Leave AllWays[] = {Leave::Enter, Leave::Tab, Leave::ClickChannel};
constexpr std::int16_t Untouched = 999;

class EntryField : public ModeWindowTest {
protected:
    template <class Form>
    void ExpectAccepted(const QString& typed, const QString& shown, std::int16_t stored) {
        for (Leave how : AllWays) {
            SCOPED_TRACE(Name(how));
            state.DataValue = Untouched;
            auto form = Open<Form>();
            Type(*form, typed);
            LeaveField(*form, how);
            EXPECT_EQ(Field(*form)->text(), shown);
            EXPECT_EQ(state.DataValue, stored);
            EXPECT_EQ(QApplication::focusWidget(), Pic(*form));
            EXPECT_EQ(messages.beeps, 0);
            EXPECT_TRUE(port.calls.empty()) << "leaving the field sends nothing";
        }
    }

    template <class Form> void ExpectRejected(const QString& typed) {
        for (Leave how : AllWays) {
            SCOPED_TRACE(Name(how));
            messages.beeps = 0;
            state.DataValue = Untouched;
            auto form = Open<Form>();
            Type(*form, typed);
            LeaveField(*form, how);
            EXPECT_EQ(messages.beeps, 1);
            EXPECT_EQ(Field(*form)->text(), QString());
            EXPECT_EQ(QApplication::focusWidget(), Field(*form));
            EXPECT_EQ(state.DataValue, Untouched);
            // The emptied field keeps refusing until it holds a valid entry.
            LeaveField(*form, how);
            EXPECT_EQ(messages.beeps, 2);
            EXPECT_EQ(QApplication::focusWidget(), Field(*form));
            EXPECT_TRUE(port.calls.empty());
        }
    }

    template <class Form> void ExpectDeactivationLeavesEntryAlone() {
        auto form = Open<Form>();
        Type(*form, QStringLiteral("zz"));
        QWidget elsewhere;
        elsewhere.show();
        QApplication::setActiveWindow(&elsewhere);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
        EXPECT_EQ(messages.beeps, 0);
        EXPECT_EQ(Field(*form)->text(), QStringLiteral("zz"));

        // Back in the window, the field still holds the focus and the entry.
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        EXPECT_EQ(QApplication::focusWidget(), Field(*form));
        QTest::keyClick(Field(*form), Qt::Key_Return);
        EXPECT_EQ(messages.beeps, 1);
    }
};

TEST_F(EntryField, Mode1AcceptedCodeIsRewrittenStoredAndFocusGoesToPic) {
    ExpectAccepted<Mode1Form>(QStringLiteral("7ff"), QStringLiteral("7FF"), 2047);
}

TEST_F(EntryField, Mode2AcceptedStepIsRewrittenStoredAndFocusGoesToPic) {
    ExpectAccepted<Mode2Form>(QStringLiteral(" 13.5 "), QStringLiteral("14"), 14);
}

TEST_F(EntryField, Mode1RejectedCodeBeepsEmptiesAndKeepsTheFocus) {
    ExpectRejected<Mode1Form>(QStringLiteral("G12"));
}

TEST_F(EntryField, Mode2RejectedStepBeepsEmptiesAndKeepsTheFocus) {
    ExpectRejected<Mode2Form>(QStringLiteral("1E3"));
}

TEST_F(EntryField, Mode1WindowLosingActivationDoesNotCheck) {
    ExpectDeactivationLeavesEntryAlone<Mode1Form>();
}

TEST_F(EntryField, Mode2WindowLosingActivationDoesNotCheck) {
    ExpectDeactivationLeavesEntryAlone<Mode2Form>();
}

TEST_F(EntryField, EnterPressesOnlyAFocusedButton) {
    auto form = Open<Mode1Form>();
    // Nothing is a default button: Enter on a channel or on Pic sends nothing.
    for (const char* name : {"Option1_0", "Pic"}) {
        Child<QWidget>(*form, name)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(port.calls.empty()) << name;
    }
    Child<QWidget>(*form, "Command1")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(port.calls, WordWrites(888, 0x00000));
}

} // namespace
} // namespace qv4130::testing
