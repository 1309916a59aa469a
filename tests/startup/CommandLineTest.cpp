#include "host/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv4130 {
namespace {

struct Argv {
    std::vector<const char*> args;
    int argc() const { return static_cast<int>(args.size()); }
    const char* const* argv() const { return args.data(); }
};

TEST(ArgumentText, EverythingAfterTheProgramJoinedBySingleBlanks) {
    struct Row {
        Argv argv;
        const char* text;
    };
    const Row rows[] = {
        {{{"qv4130"}}, ""},
        {{{}}, ""},
        {{{"qv4130", "/SS"}}, "/SS"},
        {{{"/usr/bin/qv4130", "-platform", "offscreen", "/ss"}}, "-platform offscreen /ss"},
        {{{"qv4130", "/S", "S"}}, "/S S"},
        {{{"qv4130", "", "x"}}, " x"},
        {{{"qv4130", "a b", "c"}}, "a b c"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ArgumentText(row.argv.argc(), row.argv.argv()), row.text);
    }
}

TEST(InfoRequest, HelpWinsOverVersionAndAnythingElseStarts) {
    struct Row {
        Argv argv;
        InfoRequest request;
    };
    const Row rows[] = {
        {{{"qv4130"}}, InfoRequest::None},
        {{{"qv4130", "/SS"}}, InfoRequest::None},
        {{{"qv4130", "--virtual-board"}}, InfoRequest::None},
        {{{"qv4130", "-version"}}, InfoRequest::None},
        {{{"qv4130", "--version"}}, InfoRequest::Version},
        {{{"qv4130", "/SS", "--version"}}, InfoRequest::Version},
        {{{"qv4130", "--help"}}, InfoRequest::Help},
        {{{"qv4130", "--version", "--help"}}, InfoRequest::Help},
        {{{"--help"}}, InfoRequest::None}, // the program's own path is no argument
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FindInfoRequest(row.argv.argc(), row.argv.argv()), row.request)
            << ArgumentText(row.argv.argc(), row.argv.argv());
    }
}

TEST(InfoRequest, TextsNameTheVersionAndTheSwitch) {
    EXPECT_EQ(VersionText(), "qv4130 2.0.1");
    const std::string usage = UsageText();
    EXPECT_NE(usage.find("/SS"), std::string::npos);
    EXPECT_NE(usage.find("--version"), std::string::npos);
    EXPECT_EQ(usage.back(), '\n');
}

} // namespace
} // namespace qv4130
