// Characterisation runs on the virtual board: what they measure, and how they
// end when stopped or when the meter or the chip fails them. However a run
// ends, the channel must be left at the code the operator asked for.
#include "RunRig.h"
#include "characterise/CharacterisationRun.h"
#include "characterise/RunStanding.h"

#include <gtest/gtest.h>

#include <array>
#include <stop_token>
#include <string>
#include <vector>

namespace qv4130::characterise {
namespace {

using namespace std::chrono_literals;

constexpr int Channel = 5;
constexpr int CodeBefore = 1234; // where the channel stands when the run starts

struct Case {
    std::string name;
    RunSettings settings;
    bool powerDown = false;         // the chip powered down before the run
    std::optional<int> failAt{};    // the meter's reading that fails
    std::optional<int> stopAfter{}; // codes measured before the operator stops
    std::vector<int> codes;         // the codes measured, in order
    std::string failure{};          // part of the failure's message
    int chipCodeAfter = CodeBefore;
    std::optional<std::string> partial{}; // how the figures say the run ended short
};

std::vector<int> Range(int from, int to) {
    std::vector<int> codes;
    for (int code = from; code <= to; ++code) {
        codes.push_back(code);
    }
    return codes;
}

TEST(CharacterisationRun, HowRunsEnd) {
    const std::vector<Case> cases{
        {.name = "complete, then back to the code it had",
         .settings = {.channel = Channel, .from = 0, .to = 9},
         .codes = Range(0, 9)},
        {.name = "downwards in steps, the last code measured too",
         .settings = {.channel = Channel, .from = 4095, .to = 0, .step = 1000},
         .codes = {4095, 3095, 2095, 1095, 95, 0}},
        {.name = "left at the code the operator chose",
         .settings = {.channel = Channel, .from = 0, .to = 3, .endCode = 777},
         .codes = Range(0, 3),
         .chipCodeAfter = 777},
        {.name = "stopped by the operator",
         .settings = {.channel = Channel, .from = 100, .to = 4095},
         .stopAfter = 5,
         .codes = Range(100, 104),
         .partial = "stopped after code 104 of 100..4095 (5 of 3996 codes)"},
        {.name = "the meter fails at its 7th reading, 3 per code",
         .settings = {.channel = Channel, .from = 10, .to = 20, .average = 3},
         .failAt = 7,
         .codes = Range(10, 11),
         .failure = "did not answer READ?",
         .partial = "stopped after code 11 of 10..20 (2 of 11 codes)"},
        {.name = "the chip is powered down",
         .settings = {.channel = Channel, .from = 0, .to = 9},
         .powerDown = true,
         .codes = {},
         .failure = "powered down",
         .partial = "stopped before the first code of 0..9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunRig rig(Channel);
        // Set by another program: only the chip, read back, knows where to return.
        ASSERT_EQ(Board(rig.board, rig.state).WriteCode(Channel, CodeBefore), ActionResult::Done);
        if (c.powerDown) {
            rig.instrument.SetOutput(false);
        }
        if (c.failAt) {
            rig.meter.FailAtReading(*c.failAt);
        }
        std::stop_source stop;
        RunHooks hooks{.progress =
                           [&](const RunProgress& progress) {
                               if (c.stopAfter && progress.done == *c.stopAfter) {
                                   stop.request_stop();
                               }
                           },
                       .stop = stop.get_token()};
        ASSERT_TRUE(CheckSettings(c.settings).Ok());
        const RunOutcome outcome = RunCharacterisation(rig.output, rig.meter, c.settings, hooks);

        std::vector<int> measured;
        for (const Point& p : outcome.points) {
            measured.push_back(p.code);
            EXPECT_DOUBLE_EQ(p.volts, rig.model.Volts(Channel, p.code));
        }
        EXPECT_EQ(measured, c.codes);
        EXPECT_EQ(outcome.stopped, c.stopAfter.has_value());
        EXPECT_EQ(outcome.complete, !c.stopAfter && c.failure.empty());
        if (c.failure.empty()) {
            EXPECT_EQ(outcome.failure, "");
        } else {
            EXPECT_NE(outcome.failure.find(c.failure), std::string::npos) << outcome.failure;
        }
        EXPECT_EQ(rig.board.Chip().Code(Channel), c.chipCodeAfter);
        EXPECT_EQ(outcome.endCodeWritten, !c.powerDown);
        const RunStanding standing =
            JudgeRun(outcome, c.settings, Analyse(outcome.points, IdealTransfer{}));
        EXPECT_EQ(standing.partial, c.partial);
        EXPECT_EQ(standing.suspect, std::nullopt); // the board's own outputs follow their codes
    }
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
            blindOutput, rig.meter, {.channel = Channel, .from = 300, .to = 310});
        EXPECT_EQ(outcome.endCode, c.endCode) << c.what;
        EXPECT_EQ(rig.board.Chip().Code(Channel), c.endCode) << c.what;
    }
}

TEST(CharacterisationRun, EachCodeSettlesThenIsReadAsOften) {
    RunRig rig(Channel);
    std::vector<std::chrono::microseconds> waits;
    const RunOutcome outcome = RunCharacterisation(
        rig.output, rig.meter,
        {.channel = Channel, .from = 0, .to = 4, .settle = 1500us, .average = 4},
        {.wait = [&](std::chrono::microseconds time) { waits.push_back(time); }});
    EXPECT_EQ(waits, std::vector<std::chrono::microseconds>(5, 1500us));
    EXPECT_EQ(rig.meter.Readings(), 20);
}

// A window closed in the middle of a run drops it between a word and its reading.
TEST(CharacterisationRun, ARunDroppedHalfWayStillEndsAtItsEndCode) {
    RunRig rig(Channel);
    {
        CharacterisationRun run(rig.output, rig.meter,
                                {.channel = Channel, .from = 0, .to = 99, .endCode = 42});
        ASSERT_TRUE(run.WriteNext());
        run.ReadWritten();
        ASSERT_TRUE(run.WriteNext());
    }
    EXPECT_EQ(rig.board.Chip().Code(Channel), 42);
}

} // namespace
} // namespace qv4130::characterise
