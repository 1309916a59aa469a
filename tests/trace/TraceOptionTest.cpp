// "--trace FILE" on the command line: the name after it is the file whatever it looks like,
// and both go before the toolkit reads its own options.
#include "host/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv4130 {
namespace {

TEST(TraceOption, ItIsTakenOutBeforeTheToolkitReadsItsOptions) {
    std::string words[] = {"qv4130",   "--trace", "-reverse", "-platform", "offscreen",
                           "--listen", "/SS",     "--trace",  "--listen"};
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    EXPECT_EQ(TracePath(static_cast<int>(argv.size()) - 1, argv.data()), "--listen");
    EXPECT_EQ(ListenText(static_cast<int>(argv.size()) - 1, argv.data()), "/SS");
    EXPECT_EQ(ArgumentText(static_cast<int>(argv.size()) - 1, argv.data()), "-platform offscreen");
    const int argc = RemoveValueOptions(static_cast<int>(argv.size()) - 1, argv.data());
    EXPECT_EQ(std::vector<std::string>(argv.begin(), argv.begin() + argc),
              (std::vector<std::string>{"qv4130", "-platform", "offscreen"}));
    EXPECT_EQ(argv[static_cast<std::size_t>(argc)], nullptr);
}

} // namespace
} // namespace qv4130
