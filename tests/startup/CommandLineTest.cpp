#include "host/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv4130 {
namespace {

TEST(CommandLine, ArgumentTextAndInfoRequests) {
    struct Row {
        std::vector<const char*> argv;
        const char* text;
        InfoRequest request;
    };
    const Row rows[] = {
        {{"qv4130"}, "", InfoRequest::None},
        {{}, "", InfoRequest::None},
        {{"qv4130", "-platform", "offscreen", "/ss"}, "-platform offscreen /ss", InfoRequest::None},
        {{"qv4130", "/S", "S"}, "/S S", InfoRequest::None},
        {{"qv4130", "", "a b"}, " a b", InfoRequest::None},
        {{"qv4130", "-version"}, "-version", InfoRequest::None},
        {{"qv4130", "/SS", "--version"}, "/SS --version", InfoRequest::Version},
        {{"qv4130", "--version", "--help"}, "--version --help", InfoRequest::Help},
        {{"--help"}, "", InfoRequest::None}, // the program's own path is no argument
    };
    for (const Row& row : rows) {
        const int argc = static_cast<int>(row.argv.size());
        EXPECT_EQ(ArgumentText(argc, row.argv.data()), row.text);
        EXPECT_EQ(FindInfoRequest(argc, row.argv.data()), row.request) << row.text;
    }
    EXPECT_EQ(VersionText(), "qv4130 2.0.1");
}

} // namespace
} // namespace qv4130
