// "--trace FILE" on the command line: the file's name is never read as anything else.
#include "host/CommandLine.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace qv4130 {
namespace {

TEST(TraceOption, TheNameAfterItIsTheFileAndNothingElse) {
    struct Row {
        std::vector<const char*> argv;
        std::optional<std::string> path;
        const char* text; // what the "/SS" search sees
        InfoRequest request;
        bool virtualBoard;
    };
    const Row rows[] = {
        {{"qv4130", "x"}, std::nullopt, "x", InfoRequest::None, false},
        {{"qv4130", "--trace", "t.vcd"}, "t.vcd", "", InfoRequest::None, false},
        {{"qv4130", "--trace", "--help", "--virtual-board"},
         "--help",
         "--virtual-board",
         InfoRequest::None,
         true},
        {{"qv4130", "--trace", "--virtual-board", "--version"},
         "--virtual-board",
         "--version",
         InfoRequest::Version,
         false},
        {{"qv4130", "--trace", "/SS.vcd", "/ss"}, "/SS.vcd", "/ss", InfoRequest::None, false},
        {{"qv4130", "--trace", "a", "--trace", "b"}, "b", "", InfoRequest::None, false},
        {{"qv4130", "/SS", "--trace"}, "", "/SS", InfoRequest::None, false},
    };
    for (const Row& row : rows) {
        const int argc = static_cast<int>(row.argv.size());
        const char* const* argv = row.argv.data();
        SCOPED_TRACE(ArgumentText(argc, argv));
        EXPECT_EQ(TracePath(argc, argv), row.path);
        EXPECT_EQ(ArgumentText(argc, argv), row.text);
        EXPECT_EQ(FindInfoRequest(argc, argv), row.request);
        EXPECT_EQ(WantsVirtualBoard(argc, argv), row.virtualBoard);
    }
}

TEST(TraceOption, ItIsTakenOutBeforeTheToolkitReadsItsOptions) {
    std::string words[] = {"qv4130",    "--trace", "-reverse", "-platform",
                           "offscreen", "--trace", "t"};
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const int argc = RemoveTraceOption(static_cast<int>(argv.size()) - 1, argv.data());
    EXPECT_EQ(std::vector<std::string>(argv.begin(), argv.begin() + argc),
              (std::vector<std::string>{"qv4130", "-platform", "offscreen"}));
    EXPECT_EQ(argv[static_cast<std::size_t>(argc)], nullptr);
}

} // namespace
} // namespace qv4130
