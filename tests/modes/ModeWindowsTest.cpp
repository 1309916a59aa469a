// The mode windows driven through real widgets: what they send to the board,
// how their checked entry field behaves, and how they load, open and close.
#include "ModeWindowHarness.h"

namespace qv4130::test {
namespace {

using ModeWindows = WindowTest;

// Each opening after the test sweep left channel 15 at 3072.
TEST_F(ModeWindows, EachOpeningStartsAfreshAndEachPressSendsTheStoredValue) {
    state.DataValue = 3072;
    state.SelectedChannel = 15;
    auto form = Open(2);
    Click(*form, "Decrement Code");
    Click(*form, "15");
    Click(*form, "Update Channel");
    EXPECT_EQ(port.Take(), WordWrites(888, 0x2FC00)) << "the sweep's code as the step";
    // The window has no cancel button: Esc does nothing, from the field or any
    // other control. Only the close box (or Back) unloads it, dropping the entry
    // unchecked.
    QTest::keyClick(Find(*form, "Update Channel"), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible()) << "Esc on a button";
    Type(*form, "zz");
    QTest::keyClick(Field(*form), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible()) << "Esc in the field";
    EXPECT_EQ(Field(*form)->text(), "zz");
    form->close();

    form = Open(1);
    EXPECT_EQ(Field(*form)->text(), "000");
    EXPECT_EQ(Focus(), Find(*form, "00")) << "starts on channel 00, never in the field";
    Click(*form, "05");
    QTest::keyClick(Focus(), Qt::Key_Tab);
    EXPECT_EQ(Focus(), Find(*form, "Update Channel")) << "the channels are one Tab stop";
    Type(*form, "a00");
    Click(*form, "Update Channel");
    EXPECT_EQ(port.Take(), WordWrites(888, 0x05A00)) << "a write (mode 0) after Mode 2";
    Click(*form, "Back");

    form = Open(2);
    Click(*form, "Update Channel");
    EXPECT_EQ(port.Take(), WordWrites(888, 0x10A00)) << "steps channel 00 up by the code";
    Type(*form, " 13.5 ");
    Click(*form, "Update Channel");
    EXPECT_EQ(port.Take(), WordWrites(888, 0x1000E)) << "then by the step";
    EXPECT_EQ(messages.beeps, 0);
}

// Leaving the field for another control of the window checks the entry: Enter
// (which sends the focus to the off-screen Pic), Tab or a click. A rejected entry
// keeps the focus in the emptied field, and each further try beeps again.
TEST_F(ModeWindows, LeavingTheFieldChecksTheEntry) {
    auto form = Open(1);
    // What is typed, how the field is left (0: a click on channel 09), what it then shows.
    // clang-format off
    const std::tuple<const char*, int, const char*, std::int16_t, int> steps[] = {
        {"7ff", Qt::Key_Return, "7FF", 2047, 0}, {"12 4", Qt::Key_Tab, "", 2047, 1},
        {"", 0, "", 2047, 2}, {"5", 0, "005", 5, 2}};
    // clang-format on
    for (const auto& [typed, key, shown, stored, beeps] : steps) {
        Type(*form, typed);
        if (key == 0) {
            Click(*form, "09");
        } else {
            QTest::keyClick(Focus(), static_cast<Qt::Key>(key));
        }
        EXPECT_EQ(std::tuple(Field(*form)->text(), state.DataValue, messages.beeps),
                  std::tuple(QString(shown), stored, beeps));
        EXPECT_EQ(Focus(), *shown ? Find(*form, "Pic") : Field(*form));
    }
    // A paste of any length is taken whole: past Qt's default limit, the last digit counts.
    Type(*form, "");
    Field(*form)->insert(QString(40'000, u'0') + u'3');
    QTest::keyClick(Field(*form), Qt::Key_Return);
    EXPECT_EQ(Field(*form)->text(), "003");
    EXPECT_TRUE(Find(*form, "Pic")->visibleRegion().isEmpty()) << "no visible focus";
    EXPECT_TRUE(port.calls.empty()) << "leaving the field sends nothing";
}

// Enter presses only a button that has the focus. Qt delivers the click that
// took the focus from the field even after the check rejected the entry: it must
// not send the previous value as if accepted. Switching to another window leaves
// the entry alone.
TEST_F(ModeWindows, OnlyAFocusedButtonAndAnAcceptedEntrySend) {
    auto form = Open(1);
    for (const char* control : {"00", "Pic", "Update Channel"}) {
        Find(*form, control)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(Focus(), Qt::Key_Return);
    }
    EXPECT_EQ(port.Take(), WordWrites(888, Untouched)) << "once, from Update Channel";

    Type(*form, "12 4");
    QWidget elsewhere;
    ShowActive(elsewhere);
    ShowActive(*form);
    EXPECT_EQ(messages.beeps, 0);
    Click(*form, "Update Channel");
    EXPECT_EQ(messages.beeps, 1);
    EXPECT_TRUE(port.calls.empty());
    Type(*form, "G12");
    Click(*form, "Back");
    EXPECT_FALSE(form->isVisible());
}

} // namespace
} // namespace qv4130::test
