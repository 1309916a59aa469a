// Both programs' manual pages tell of every option their help declares, and the
// manual page's and the documentation's SCPI command lists are the tables'.
// (What the commands send, print and exit with: qv4130ctl_test.py.)
#include "ctl/CtlArguments.h"
#include "app/ProgramOptions.h"
#include "scpi/CommandHelp.h"
#include "virtualboard/MeterCommands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

namespace qv4130::ctl {
namespace {

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
    const struct {
        const char* file;
        std::string begin;
        std::string end;
        std::string list;
    } documents[] = {
        {"docs/scripting.md", "<!-- scpi-commands: from the command table, checked by a test -->",
         "<!-- end of scpi-commands -->", scpi::CommandListMarkdown()},
        {"docs/scripting.md",
         "<!-- meter-commands: from the meter's command table, checked by a test -->",
         "<!-- end of meter-commands -->", scpi::MeterCommandListMarkdown()},
        {"packaging/man/qv4130ctl.1",
         ".\\\" scpi-commands: from the command table, checked by a test",
         ".\\\" end of scpi-commands", scpi::CommandListRoff()},
    };
    for (const auto& document : documents) {
        // What the file holds between the line `begin` and the line `end`.
        const std::string text = SourceFile(document.file);
        const std::size_t from = text.find(document.begin + '\n');
        const std::size_t to = text.find('\n' + document.end + '\n', from);
        ASSERT_NE(to, std::string::npos) << document.file << ": " << document.begin;
        const std::size_t start = from + document.begin.size() + 1;
        EXPECT_EQ(text.substr(start, to + 1 - start), document.list)
            << document.file << " should list, between its markers:\n"
            << document.list;
    }
}

} // namespace
} // namespace qv4130::ctl
