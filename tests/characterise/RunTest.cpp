// Characterisation runs on the virtual board: how they end when the chip fails
// them or the window drops them. However a run ends, the channel must be left
// at the code the operator asked for. (How each code settles and is read: the
// command line's runs, which a missed settle or average would hurry or blur.)
#include "RunRig.h"
#include "characterise/CharacterisationRun.h"
#include "characterise/RunStanding.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

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

// On a board that cannot be read back a run ends where the board object knows
// the channel stood, whoever put it there: the windows' words count as well.
TEST(CharacterisationRun, OnARealBoardItEndsWhereTheWindowsLeftTheChannel) {
    struct Case {
        const char* what;
        std::vector<std::array<std::int16_t, 2>> windowWords; // {mode, data} to Channel
        int endCode;
    };
    const Case cases[] = {
        {"nobody wrote it: the first code", {}, 300},
        {"Mode 1 wrote it, Mode 2 stepped it", {{0, 2000}, {2, 127}, {1, 27}}, 1900},
    };
    for (const Case& c : cases) {
        RunRig rig(Channel);
        Board blind(rig.board, rig.state); // the chip cannot be read back
        blind.SetPower(true);
        for (const auto& [mode, data] : c.windowWords) {
            rig.state.FrameMode = mode;
            rig.state.SelectedChannel = Channel;
            rig.state.DataValue = data;
            blind.SendChannelCommand();
        }
        InstrumentOutput blindOutput(blind);
        const RunOutcome outcome = RunCharacterisation(
            blindOutput, *rig.meter, {.channel = Channel, .from = 300, .to = 310});
        EXPECT_EQ(outcome.endCode, c.endCode) << c.what;
        EXPECT_EQ(rig.board.Chip().Code(Channel), c.endCode) << c.what;
    }
}

// A window closed in the middle of a run drops it between a word and its reading.
TEST(CharacterisationRun, ARunDroppedHalfWayStillEndsAtItsEndCode) {
    RunRig rig(Channel);
    {
        CharacterisationRun run(rig.output, *rig.meter,
                                {.channel = Channel, .from = 0, .to = 99, .endCode = 42});
        ASSERT_TRUE(run.WriteNext());
        run.ReadWritten();
        ASSERT_TRUE(run.WriteNext());
    }
    EXPECT_EQ(rig.board.Chip().Code(Channel), 42);
}

} // namespace
} // namespace qv4130::characterise
