// Characterisation runs on the virtual board: how they end when the chip fails
// them or cannot be read back. However a run ends, the channel must be left
// at the code the operator asked for. (How each code settles and is read: the
// command line's runs, which a missed settle or average would hurry or blur.)
#include "RunRig.h"
#include "characterise/CharacterisationRun.h"
#include "characterise/RunStanding.h"

#include <gtest/gtest.h>

#include <string>

namespace qv4130::characterise {
namespace {

constexpr int Channel = 5;
constexpr int CodeBefore = 1234; // where the channel stands when the run starts

// A chip powered down takes no word: the run fails at its first code, says so,
// and cannot put the channel back either. (Runs that end otherwise, whole, at an
// end code, stopped or failed by the meter: qv4130ctl_characterise_test.py and
// the window's tests, which read what the operator reads.)
TEST(CharacterisationRun, OnAPoweredDownChipItEndsBeforeTheFirstCode) {
    RunRig rig(Channel);
    // Set by another program: only the chip, read back, knows where to return.
    ASSERT_EQ(Board(rig.board, rig.state).WriteCode(Channel, CodeBefore), ActionResult::Done);
    rig.instrument.SetOutput(false);
    const RunSettings settings{.channel = Channel, .from = 3, .to = 9};
    const RunOutcome outcome = RunCharacterisation(rig.output, *rig.meter, settings);
    EXPECT_NE(outcome.failure.find("powered down"), std::string::npos) << outcome.failure;
    EXPECT_FALSE(outcome.endCodeWritten);
    EXPECT_EQ(rig.board.Chip().Code(Channel), CodeBefore);
    EXPECT_EQ(JudgeRun(outcome, settings, Analyse(outcome.points, IdealTransfer{})).partial,
              "stopped before the first code of 3..9");
}

// On a board that cannot be read back, a channel no window or client wrote has
// no code to go back to: the run ends at its first code. (The codes the windows'
// words leave there: InterpreterTest's; a read-back board's run: the command line's.)
TEST(CharacterisationRun, OnARealBoardAChannelNobodyWroteEndsAtTheFirstCode) {
    RunRig rig(Channel);
    Board blind(rig.board, rig.state); // the chip cannot be read back
    blind.SetPower(true);
    InstrumentOutput blindOutput(blind);
    const RunOutcome outcome =
        RunCharacterisation(blindOutput, *rig.meter, {.channel = Channel, .from = 300, .to = 310});
    EXPECT_EQ(outcome.endCode, 300);
    EXPECT_EQ(rig.board.Chip().Code(Channel), 300);
}

} // namespace
} // namespace qv4130::characterise
