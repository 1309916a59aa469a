// What a trace file holds, and what happens when it cannot be written.
#include "board/CommsFunctions.h"
#include "qv4130/BoardVocabulary.h"
#include "support/RecordingPortLibrary.h"
#include "trace/TracedPortLibrary.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

namespace qv4130 {
namespace {

// The board's five lines in the VCD file at `path`, read the plain way, in
// data-register bits: each state they pass through, in order.
std::vector<std::uint16_t> LineStates(const std::string& path) {
    const std::map<std::string, std::uint16_t> lineByName{{"DIN", line::Din},
                                                          {"SCLK", line::Sclk},
                                                          {"SYNC", line::Sync},
                                                          {"PD", line::PowerDown},
                                                          {"RESET", line::Reset}};
    std::map<char, std::uint16_t> lineById;
    std::vector<std::uint16_t> states;
    std::uint16_t now = 0;
    bool timed = false;
    const auto passed = [&] {
        if (timed && (states.empty() || states.back() != now)) {
            states.push_back(now);
        }
    };
    std::ifstream file(path);
    for (std::string token; file >> token;) {
        if (token == "$var") {
            std::string type, width, id, name;
            file >> type >> width >> id >> name;
            lineById[id.at(0)] = lineByName.at(name);
        } else if (token[0] == '#') {
            passed();
            timed = true;
        } else if ((token[0] == '0' || token[0] == '1') && token.size() == 2) {
            const std::uint16_t line = lineById.at(token[1]);
            now = static_cast<std::uint16_t>(token[0] == '1' ? now | line : now & ~line);
        }
    }
    passed();
    return states;
}

TEST(TraceFile, OnlyTheDataRegisterOfThePortInUseIsTracedAndARunWithoutOneLeavesNoFile) {
    test::RecordingPortLibrary port;
    SharedState state{.PortAddress = 888};
    const std::string nothing = ::testing::TempDir() + "nothing.vcd";
    std::filesystem::remove(nothing); // a failed run before may have left one
    const auto idle = StartTrace(port, state, nothing, {});
    idle->OutByte(890, 0x04); // the control register alone
    idle->Finish();
    EXPECT_FALSE(std::filesystem::exists(nothing));

    const std::string path = ::testing::TempDir() + "ports.vcd";
    const auto trace = StartTrace(port, state, path, {});
    trace->OutByte(888, 0x16);
    trace->OutByte(890, 0x04); // its control register
    trace->OutByte(632, 0x01); // another port
    state.PortAddress = 632;   // the port menu moves to LPT2
    trace->OutByte(632, 0x0D);
    trace->OutByte(888, 0x1F);
    trace->OutByte(632, -235); // widened from 16 bits: 0x15 reaches the port
    // SYNC falls as the clock rises: a decoder takes no clock edge from the
    // write that starts a frame, so SYNC is drawn falling a nanosecond later.
    trace->OutByte(632, 0x12);
    trace->Finish();
    // Each line's levels through the first three writes differ from every other line's.
    EXPECT_EQ(LineStates(path), (std::vector<std::uint16_t>{0x16, 0x0D, 0x15, 0x16, 0x12}));
}

TEST(TraceFile, AFileThatCannotBeWrittenIsSaidOnceAndTheRunGoesOn) {
    const std::string folder = ::testing::TempDir() + "no-such-folder";
    std::filesystem::remove_all(folder);
    std::vector<std::string> paths{folder + "/trace.vcd"};
#ifndef _WIN32
    // A node of /dev/full's numbers, of the test's own: opens, then every write
    // fails, and it must stay a device node.
    const std::string full = ::testing::TempDir() + "full-device";
    std::filesystem::remove(full);
    if (::mknod(full.c_str(), S_IFCHR | 0644, makedev(1, 7)) == 0) {
        paths.push_back(full);
    }
#endif
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        test::RecordingPortLibrary port;
        SharedState state{.PortAddress = 888};
        std::vector<std::string> said;
        const auto trace =
            StartTrace(port, state, path, [&](const std::string& text) { said.push_back(text); });
        std::vector<test::PortCall> expected;
        for (const std::int32_t word : {0x15A5A, 0x2A5A5, 0x0F0F0}) {
            SendSerialWord(*trace, word, 888, 18);
            std::this_thread::sleep_for(std::chrono::milliseconds(5)); // a pause: a flush
            expected = test::Join({expected, test::WordWrites(888, word)});
        }
        trace->Finish();

        ASSERT_EQ(said.size(), 1u);
        EXPECT_NE(said[0].find(path), std::string::npos) << said[0];
        EXPECT_EQ(port.calls, expected);
    }
    EXPECT_FALSE(std::filesystem::exists(folder));
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::is_character_file(full), ::geteuid() == 0);
    std::filesystem::remove(full);
#endif
}

} // namespace
} // namespace qv4130
