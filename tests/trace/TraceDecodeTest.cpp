// A word of the program's, traced and read back by sigrok-cli's SPI decoder.
#include "TraceReading.h"
#include "board/BoardActions.h"
#include "board/CommsFunctions.h"
#include "support/RecordingPortLibrary.h"
#include "trace/TracedPortLibrary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace qv4130 {
namespace {

constexpr std::uint16_t Lpt1 = 888;

// Powered up first, as the main window's load leaves it: the clock rests low, so
// the word's first write raises it as SYNC falls. Then channel 5 given A00, as
// the Mode 1 window sends it, and Quit's immediate exit.
TEST(TraceDecode, AWordAfterPowerUpIsDecodedAsSentAndQuitsExitLeavesTheFileWhole) {
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
            state.SelectedChannel = 5;
            state.DataValue = 0xA00;
            SendChannelCommand(*trace, state);
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
