// A word of the program's, traced and read back by sigrok-cli's SPI decoder.
#include "board/BoardActions.h"
#include "board/CommsFunctions.h"
#include "support/RecordingPortLibrary.h"
#include "trace/TracedPortLibrary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string_view>

namespace qv4130 {
namespace {

constexpr std::uint16_t Lpt1 = 888;

// The 18-bit words sigrok-cli's SPI decoder finds on DIN in the trace at `path`,
// read with the command the README gives.
std::vector<std::uint32_t> DecodeWords(const std::string& path) {
    const std::string sigrok = SIGROK_CLI;
    if (sigrok.empty() || sigrok.ends_with("NOTFOUND")) {
        ADD_FAILURE() << "sigrok-cli is not installed (scripts/deps.sh installs it)";
        return {};
    }
    const std::string command =
        sigrok + " -I vcd:compress=10000 -i '" + path +
        "' -P spi:clk=SCLK:mosi=DIN:cs=SYNC:cs_polarity=active-low:cpol=1:cpha=1:wordsize=18"
        " -A spi=mosi-data 2>&1";
    struct PipeCloser {
        void operator()(std::FILE* pipe) const { pclose(pipe); }
    };
    const std::unique_ptr<std::FILE, PipeCloser> output(popen(command.c_str(), "r"));
    std::vector<std::uint32_t> words;
    char line[256];
    while (output && std::fgets(line, sizeof line, output.get()) != nullptr) {
        constexpr std::string_view prefix = "spi-1: "; // "spi-1: 5A00"
        if (!std::string_view(line).starts_with(prefix)) {
            ADD_FAILURE() << "sigrok-cli said: " << line;
            continue;
        }
        words.push_back(static_cast<std::uint32_t>(std::stoul(line + prefix.size(), nullptr, 16)));
    }
    return words;
}

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
    EXPECT_EQ(DecodeWords(path), std::vector<std::uint32_t>{0x05A00});
    std::ifstream file(path);
    std::string last;
    for (std::string line; std::getline(file, line);) {
        last = line;
    }
    EXPECT_TRUE(last.starts_with("#")) << "no closing timestamp";
}

} // namespace
} // namespace qv4130
