// The manual page's and the documentation's SCPI command lists are the table's:
// a command added to the table fails this test until the lists show it.
#include "scpi/CommandHelp.h"
#include "virtualboard/MeterCommands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace qv4130::scpi {
namespace {

// What `file` holds between the line `begin` and the line `end`.
std::string Between(const std::string& file, const std::string& begin, const std::string& end) {
    std::ifstream in(std::string(QV4130_SOURCE_DIR) + "/" + file);
    std::stringstream text;
    text << in.rdbuf();
    const std::string whole = text.str();
    const std::size_t from = whole.find(begin + '\n');
    const std::size_t to = whole.find('\n' + end + '\n', from);
    if (from == std::string::npos || to == std::string::npos) {
        return "(no list between \"" + begin + "\" and \"" + end + "\")";
    }
    return whole.substr(from + begin.size() + 1, to + 1 - from - begin.size() - 1);
}

TEST(CommandList, TheDocumentsListTheTable) {
    const struct {
        const char* file;
        const char* begin;
        const char* end;
        std::string list;
    } documents[] = {
        {"docs/scripting.md", "<!-- scpi-commands: from the command table, checked by a test -->",
         "<!-- end of scpi-commands -->", CommandListMarkdown()},
        {"docs/scripting.md",
         "<!-- meter-commands: from the meter's command table, checked by a test -->",
         "<!-- end of meter-commands -->", MeterCommandListMarkdown()},
        {"packaging/man/qv4130ctl.1",
         ".\\\" scpi-commands: from the command table, checked by a test",
         ".\\\" end of scpi-commands", CommandListRoff()},
    };
    for (const auto& document : documents) {
        EXPECT_EQ(Between(document.file, document.begin, document.end), document.list)
            << document.file << " should list, between its markers:\n"
            << document.list;
    }
}

} // namespace
} // namespace qv4130::scpi
