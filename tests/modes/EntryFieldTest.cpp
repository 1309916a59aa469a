// The checked entry field both mode windows share, worked through real widgets.
#include "ModeWindowHarness.h"

namespace qv4130::testing {
namespace {

// The ways an operator leaves the field for another control of the window.
enum class Leave { Enter, Tab, ClickChannel };
constexpr Leave AllWays[] = {Leave::Enter, Leave::Tab, Leave::ClickChannel};
constexpr std::int16_t Untouched = 999;

void LeaveField(QWidget& form, Leave how) {
    switch (how) {
    case Leave::Enter:
        QTest::keyClick(ModeWindowTest::Field(form), Qt::Key_Return);
        break;
    case Leave::Tab:
        QTest::keyClick(ModeWindowTest::Field(form), Qt::Key_Tab);
        break;
    case Leave::ClickChannel:
        ModeWindowTest::Click(form, "Option1_9");
        break;
    }
}

class EntryField : public ModeWindowTest {
protected:
    EntryField() { state.DataValue = Untouched; }
};

TEST_F(EntryField, AcceptedEntryIsRewrittenStoredAndFocusGoesToPic) {
    for (Leave how : AllWays) {
        SCOPED_TRACE(static_cast<int>(how));
        auto form = Open<Mode1Form>();
        Type(*form, "7ff");
        LeaveField(*form, how);
        EXPECT_EQ(Field(*form)->text(), "7FF");
        EXPECT_EQ(state.DataValue, 2047);
        EXPECT_EQ(QApplication::focusWidget(), Child(*form, "Pic"));
    }
    // The same mechanism behind the step field, with its own check.
    auto form = Open<Mode2Form>();
    Type(*form, " 13.5 ");
    LeaveField(*form, Leave::Enter);
    EXPECT_EQ(Field(*form)->text(), "14");
    EXPECT_EQ(state.DataValue, 14);
    EXPECT_EQ(QApplication::focusWidget(), Child(*form, "Pic"));
    EXPECT_EQ(messages.beeps, 0);
    EXPECT_TRUE(port.calls.empty()) << "leaving the field sends nothing";
}

TEST_F(EntryField, RejectedEntryBeepsEmptiesAndKeepsTheFocusUntilValid) {
    for (Leave how : AllWays) {
        SCOPED_TRACE(static_cast<int>(how));
        messages.beeps = 0;
        auto form = Open<Mode2Form>();
        Type(*form, "1E3");
        LeaveField(*form, how);
        EXPECT_EQ(messages.beeps, 1);
        EXPECT_EQ(Field(*form)->text(), "");
        EXPECT_EQ(QApplication::focusWidget(), Field(*form));
        LeaveField(*form, how);
        EXPECT_EQ(messages.beeps, 2) << "the emptied field is checked again";
        EXPECT_EQ(QApplication::focusWidget(), Field(*form));
        EXPECT_EQ(state.DataValue, Untouched);
    }
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(EntryField, WindowLosingActivationLeavesTheEntryUnchecked) {
    auto form = Open<Mode1Form>();
    Type(*form, "zz");
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    EXPECT_EQ(messages.beeps, 0);
    EXPECT_EQ(Field(*form)->text(), "zz");

    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(QApplication::focusWidget(), Field(*form));
    QTest::keyClick(Field(*form), Qt::Key_Return);
    EXPECT_EQ(messages.beeps, 1);
}

TEST_F(EntryField, UpdateAfterARejectedEntrySendsNothingBackStillCloses) {
    auto form = Open<Mode1Form>();
    Type(*form, "12 4");
    Click(*form, "Command1");
    EXPECT_EQ(messages.beeps, 1);
    EXPECT_TRUE(port.calls.empty());
    EXPECT_EQ(QApplication::focusWidget(), Field(*form));

    QTest::keyClicks(Field(*form), "5");
    Click(*form, "Command1");
    EXPECT_EQ(port.Take(), WordWrites(888, 0x00005));

    Type(*form, "G12");
    Click(*form, "Command2");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(state.DataValue, 5);
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(EntryField, EnterPressesOnlyAFocusedButton) {
    auto form = Open<Mode1Form>();
    for (const char* name : {"Option1_0", "Pic"}) {
        Child(*form, name)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(port.calls.empty()) << name << ": no default button";
    }
    Child(*form, "Command1")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(port.calls, WordWrites(888, Untouched)) << "channel 0, code 999";
}

} // namespace
} // namespace qv4130::testing
