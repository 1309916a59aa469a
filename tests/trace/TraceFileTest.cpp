// What a trace file holds, and what happens when it cannot be written.
#include "TraceReading.h"
#include "board/CommsFunctions.h"
#include "support/RecordingPortLibrary.h"
#include "trace/TracedPortLibrary.h"
#include "trace/WriteHistory.h"
#include "trace/WriteTiming.h"

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
    auto states = [&path] {
        std::vector<std::uint16_t> seen;
        for (const auto& [time, levels] : testing::LevelsByTime(path)) {
            if (seen.empty() || levels != seen.back()) {
                seen.push_back(levels);
            }
        }
        return seen;
    };
    const std::vector<std::uint16_t> expected{0x1C, 0x01, 0x10};
    // A pause: the file holds the writes before it while the run goes on.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(states(), expected);
    trace->Finish();
    EXPECT_EQ(states(), expected);
}

TEST(TraceFile, WritesWithoutAReadingAreTimedByTheReadingsAround) {
    WriteTimes times;
    times.Read({0, 1'000});
    times.Read({1, 1'010});
    const ClockReading steady{5, 1'410};
    const ClockReading afterPause{5, 9'000'000};
    struct Row {
        std::uint64_t index;
        const ClockReading* next;
        std::uint64_t ns;
    };
    const Row rows[] = {
        {2, &steady, 1'110}, // evenly between 1 and 5
        {4, &steady, 1'310},
        {2, &afterPause, 1'020}, // the pause comes after: on at the pace before
        {4, &afterPause, 1'040},
        {3, nullptr, 1'030}, // nothing read after it yet: the pace before
    };
    for (const Row& row : rows) {
        EXPECT_EQ(times.Place(row.index, row.next), row.ns) << row.index;
    }
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
        std::vector<testing::PortCall> expected;
        for (const std::int32_t word : {0x15A5A, 0x2A5A5, 0x0F0F0}) {
            SendSerialWord(*trace, word, 888, 18);
            std::this_thread::sleep_for(std::chrono::milliseconds(5)); // a pause: a flush
            const auto calls = testing::WordWrites(888, word);
            expected.insert(expected.end(), calls.begin(), calls.end());
        }
        trace->Finish();

        ASSERT_EQ(said.size(), 1u);
        EXPECT_NE(said[0].find(path), std::string::npos) << said[0];
        EXPECT_EQ(errors.str(), said[0] + "\n");
        EXPECT_EQ(port.calls, expected);
    }
    EXPECT_FALSE(std::filesystem::exists(folder));
}

} // namespace
} // namespace qv4130
