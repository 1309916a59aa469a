// What a trace file holds, and what happens when it cannot be written.
#include "VcdLevels.h"
#include "board/CommsFunctions.h"
#include "support/RecordingPortLibrary.h"
#include "trace/TracedPortLibrary.h"
#include "trace/WriteHistory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

namespace qv4130 {
namespace {

TEST(TraceFile, TheLinesFollowEveryByteWritten) {
    struct Write {
        std::uint64_t ns;
        std::uint8_t byte;
    };
    // Some of each kind of move: all lines at once, one line, none, the frame
    // starting and ending with a clock edge in the same write, bits above RESET.
    const std::vector<Write> writes{
        {1'000, 0x1F}, {1'010, 0x06}, {1'020, 0x14}, {1'030, 0x12}, {1'040, 0x11},
        {1'050, 0x13}, {1'060, 0x13}, {1'070, 0x10}, {1'080, 0x16}, {2'000, 0x1C},
        {2'010, 0x12}, {9'000, 0xE0}, {9'010, 0x08}, {9'020, 0x14},
    };
    constexpr std::size_t Dropped = 2; // the history keeps only the newest ones
    WriteHistory history(writes.size() - Dropped);
    for (const Write& write : writes) {
        history.AddAt(write.ns, write.byte);
    }
    const std::string path = ::testing::TempDir() + "levels.vcd";
    ASSERT_EQ(SaveTrace(history, path, 20'000), "");

    const auto levels = testing::LevelsByTime(path);
    EXPECT_EQ(levels.begin()->first, writes[Dropped].ns)
        << "initial values at the first write kept";
    EXPECT_EQ(levels.rbegin()->first, 20'000u) << "closing timestamp";
    for (std::size_t i = Dropped; i < writes.size(); ++i) {
        // A write that moves SYNC and the clock together takes 1 ns.
        EXPECT_EQ(testing::LevelsAt(levels, writes[i].ns + 1), writes[i].byte & 0x1F)
            << "write " << i << " at " << writes[i].ns;
    }
}

TEST(TraceFile, OnlyTheDataRegisterOfThePortInUseIsTraced) {
    testing::RecordingPortLibrary port;
    SharedState state;
    state.PortAddress = 888;
    const std::string path = ::testing::TempDir() + "ports.vcd";
    const auto trace = StartTrace(port, state, path, std::cerr);
    trace->OutByte(888, 0x1C);
    trace->OutByte(890, 0x04); // its control register
    trace->OutByte(632, 0x01); // another port
    state.PortAddress = 632;   // the port menu moves to LPT2
    trace->OutByte(632, 0x01);
    trace->OutByte(888, 0x1F);
    trace->OutByte(632, -240); // widened from 16 bits: 0x10 reaches the port
    trace->Finish();

    std::vector<std::uint16_t> states;
    for (const auto& [time, levels] : testing::LevelsByTime(path)) {
        if (states.empty() || levels != states.back()) {
            states.push_back(levels);
        }
    }
    EXPECT_EQ(states, (std::vector<std::uint16_t>{0x1C, 0x01, 0x10}));
}

TEST(TraceFile, AFileThatCannotBeWrittenIsSaidOnceAndTheRunGoesOn) {
    const std::string folder = ::testing::TempDir() + "no-such-folder";
    std::filesystem::remove_all(folder);
    std::vector<std::string> paths{folder + "/trace.vcd"};
#ifndef _WIN32
    paths.push_back("/dev/full"); // opens, then every write fails
#endif
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        testing::RecordingPortLibrary port;
        SharedState state;
        state.PortAddress = 888;
        std::ostringstream errors;
        std::vector<std::string> said;
        const auto trace = StartTrace(port, state, path, errors,
                                      [&](const std::string& text) { said.push_back(text); });
        for (std::int32_t word = 0; word < 4; ++word) {
            SendSerialWord(*trace, word, 888, 18);
            std::this_thread::sleep_for(std::chrono::milliseconds(5)); // a pause: a flush
        }
        trace->Finish();

        ASSERT_EQ(said.size(), 1u);
        EXPECT_NE(said[0].find(path), std::string::npos) << said[0];
        EXPECT_EQ(errors.str(), said[0] + "\n");
        std::vector<testing::PortCall> expected;
        for (std::int32_t word = 0; word < 4; ++word) {
            const auto calls = testing::WordWrites(888, word);
            expected.insert(expected.end(), calls.begin(), calls.end());
        }
        EXPECT_EQ(port.calls, expected);
    }
    EXPECT_FALSE(std::filesystem::exists(folder));
}

} // namespace
} // namespace qv4130
