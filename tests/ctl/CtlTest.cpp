// qv4130ctl's logic below its command line. (What the commands send, print and
// exit with: qv4130ctl_test.py.)
//
// Whether a command's bytes reached the board: a refused claim, and a library
// that reports a new failure (an adapter pulled out) after a good claim, also
// one its sending thread reports only after the command's own check. (A port
// no command touched, and a library that met no failure: qv4130ctl_test.py.)
//
// Both programs' manual pages tell of every option their help declares, and the
// manual page's and the documentation's SCPI command lists are the tables'.
#include "app/ProgramOptions.h"
#include "ctl/BoardReach.h"
#include "ctl/CtlArguments.h"
#include "scpi/CommandHelp.h"
#include "support/RecordingPortLibrary.h"
#include "virtualboard/MeterCommands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

namespace qv4130::ctl {
namespace {

TEST(BoardReach, TellsWhenACommandsBytesCouldNotReachTheBoard) {
    // What; the claim's answer; the library's last error at the claim, after the
    // previous command's check and after the command's byte; the reason told, or
    // nothing when the byte reached the board.
    using Error = std::optional<std::string>;
    const std::tuple<const char*, std::int32_t, Error, Error, Error, std::string> cases[] = {
        {"claim refused (high word only)", 0x10000, std::nullopt, std::nullopt, std::nullopt,
         "the printer port is not claimed, so nothing reached the board"},
        {"adapter gone after the claim", 1, std::nullopt, std::nullopt, "FT232H stopped",
         "the board was not reached: FT232H stopped"},
        {"gone after the previous command's check", 1, std::nullopt, "FT232H stopped",
         "FT232H stopped", "the board was not reached: FT232H stopped"},
        {"start-up's failure, not this command's", 1, "config line 3", "config line 3",
         "config line 3", ""},
    };
    for (const auto& [what, claimResult, atClaim, before, after, lost] : cases) {
        SCOPED_TRACE(what);
        test::RecordingPortLibrary library;
        library.claimResult = claimResult;
        library.lastError = atClaim;
        BoardReach reach(library);
        reach.ClaimParallelPort(1, 0);
        library.lastError = before;
        reach.Checkpoint();
        reach.OutByte(888, 0x16);
        library.lastError = after;
        const Result<> reached = reach.Reached();
        EXPECT_EQ(reached.Ok() ? "" : reached.Error(), lost);
    }
}

// A library that sends what it still holds as the claim is given back, and fails to.
struct FailsAtRelease final : test::RecordingPortLibrary {
    std::int32_t ReleaseParallelPort(std::int32_t) override {
        lastError = lastError.value_or("gone at the release");
        return 1;
    }
};

// That failure is the last command's, even when that command sent nothing; so
// is one the library's sending thread met after the last command was checked.
TEST(BoardReach, TellsWhenWhatWasHeldCouldNotBeSentAtTheRelease) {
    for (const bool sent : {true, false}) {
        for (const bool late : {false, true}) {
            SCOPED_TRACE(std::string(sent ? "sent" : "nothing sent") + (late ? ", late" : ""));
            FailsAtRelease library;
            BoardReach reach(library);
            reach.ClaimParallelPort(1, 0);
            if (sent) {
                reach.OutByte(888, 0x16);
            }
            reach.Checkpoint(); // the last command
            EXPECT_TRUE(reach.Reached().Ok());
            if (late) {
                library.lastError = "stopped taking bytes";
            }
            EXPECT_EQ(!reach.Release(1).Ok(), sent);
        }
    }
}

std::string SourceFile(const std::string& path) {
    std::ifstream in(std::string(QV4130_SOURCE_DIR) + "/" + path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// An option added or renamed fails this until its program's page tells of it.
TEST(CtlArguments, TheManualPagesTellOfEveryOptionTheHelpDoes) {
    for (const auto& [page, usage] : {std::pair{"packaging/man/qv4130ctl.1", UsageText()},
                                      std::pair{"packaging/man/qv4130.1", qv4130::UsageText()}}) {
        const std::string text = SourceFile(page);
        ASSERT_FALSE(text.empty()) << page;
        const std::regex option("--([a-z-]*[a-z])");
        for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option);
             it != std::sregex_iterator(); ++it) {
            // roff writes '-' as "\-"; a longer option's name is not this one's.
            const std::string name = std::regex_replace(it->str(), std::regex("-"), "\\\\-");
            EXPECT_TRUE(std::regex_search(text, std::regex(name + "(?![a-z]|\\\\-)")))
                << page << ": " << it->str();
        }
    }
}

// A command added to a table fails this until the lists show it.
TEST(CtlArguments, TheDocumentsListTheTablesCommands) {
    // Each file, its markers around the list, and the list.
    const std::tuple<const char*, std::string, std::string, std::string> documents[] = {
        {"docs/scripting.md", "<!-- scpi-commands: from the command table, checked by a test -->",
         "<!-- end of scpi-commands -->", scpi::CommandListMarkdown()},
        {"docs/scripting.md",
         "<!-- meter-commands: from the meter's command table, checked by a test -->",
         "<!-- end of meter-commands -->", scpi::MeterCommandListMarkdown()},
        {"packaging/man/qv4130ctl.1",
         ".\\\" scpi-commands: from the command table, checked by a test",
         ".\\\" end of scpi-commands", scpi::CommandListRoff()},
    };
    for (const auto& [file, begin, end, list] : documents) {
        // What the file holds between the line `begin` and the line `end`.
        const std::string text = SourceFile(file);
        const std::size_t from = text.find(begin + '\n');
        const std::size_t to = text.find('\n' + end + '\n', from);
        ASSERT_NE(to, std::string::npos) << file << ": " << begin;
        const std::size_t start = from + begin.size() + 1;
        EXPECT_EQ(text.substr(start, to + 1 - start), list)
            << file << " should list, between its markers:\n"
            << list;
    }
}

} // namespace
} // namespace qv4130::ctl
