// The program's own words, traced and read back by sigrok-cli's SPI decoder.
#include "TraceReading.h"
#include "board/BoardActions.h"
#include "board/BoardVocabulary.h"
#include "board/CommsFunctions.h"
#include "support/RecordingPortLibrary.h"
#include "trace/TracedPortLibrary.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace qv4130 {
namespace {

constexpr std::uint16_t Lpt1 = 888;
// Long enough for the trace's thread, which asks for a clock reading every
// millisecond, to get the processor within it even on a busy machine.
constexpr std::chrono::milliseconds Pause{20};

// Channel 5 given the code A00 in a mode-0 word, as the Mode 1 window sends it.
void SendModeOneWrite(PortLibrary& library, SharedState& state) {
    state.FrameMode = 0;
    state.SelectedChannel = 5;
    state.DataValue = 0xA00;
    SendChannelCommand(library, state);
}

TEST(TraceDecode, TheSweepAndAModeOneWriteAreDecodedAsSent) {
    test::RecordingPortLibrary port;
    SharedState state;
    state.PortAddress = Lpt1;
    const std::string path = ::testing::TempDir() + "sweep.vcd";
    std::string said;
    const auto trace =
        StartTrace(port, state, path, [&](const std::string& text) { said += text; });
    // Powered up first, as the main window's load leaves it: the clock rests low,
    // so the first word's first write raises it as SYNC falls.
    SetPower(*trace, state, true);
    RunTestSweep(*trace, state, [] { std::this_thread::sleep_for(Pause); });
    SendModeOneWrite(*trace, state);
    trace->Finish();

    // Three quarters of full scale on channels 0 to 15, then channel 5's A00.
    std::vector<std::uint32_t> expected;
    for (std::uint32_t channel = 0; channel < 16; ++channel) {
        expected.push_back(channel << 12 | 0xC00);
    }
    expected.push_back(0x05A00);
    EXPECT_EQ(test::DecodeWords(path), expected);
    EXPECT_EQ(said, "");
}

TEST(TraceDecode, QuitsImmediateExitLeavesTheFileWhole) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string path = ::testing::TempDir() + "quit.vcd";
    std::remove(path.c_str());
    EXPECT_EXIT(
        {
            test::RecordingPortLibrary port;
            SharedState state;
            state.PortAddress = Lpt1;
            const auto trace = StartTrace(port, state, path, {});
            SetPower(*trace, state, true);
            SendModeOneWrite(*trace, state);
            trace->FinishAndExit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(test::DecodeWords(path), std::vector<std::uint32_t>{0x05A00});
    std::ifstream file(path);
    std::string last;
    for (std::string line; std::getline(file, line);) {
        last = line;
    }
    EXPECT_TRUE(last.starts_with("#")) << "no closing timestamp";
}

} // namespace
} // namespace qv4130
