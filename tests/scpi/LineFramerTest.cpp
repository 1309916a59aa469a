#include "scpi/LineFramer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv4130::scpi {
namespace {

using Events = std::vector<std::string>;

// The lines a framer that keeps at most 4 bytes makes of `chunks`, an overlong
// line shown as "<overlong>", and what it still holds at the end.
std::pair<Events, std::size_t> Frame(const std::vector<std::string>& chunks) {
    LineFramer framer(4);
    Events events;
    for (const std::string& chunk : chunks) {
        framer.Feed(
            chunk, [&](std::string_view line) { events.emplace_back(line); },
            [&] { events.emplace_back("<overlong>"); });
    }
    return {events, framer.Pending()};
}

TEST(LineFramer, CutsLinesAndDropsTheOverlongOnesWhole) {
    const std::tuple<const char*, std::vector<std::string>, Events, std::size_t> cases[] = {
        {"lines across reads, CR LF or LF", {"A\r\nB", "C\n\n", "D"}, {"A", "BC", ""}, 1},
        {"the limit itself fits, a CR besides", {"1234\r\n", "1234\n"}, {"1234", "1234"}, 0},
        {"over the limit in one read", {"12345\nok\n"}, {"<overlong>", "ok"}, 0},
        {"over the limit across reads, once",
         {"123", "45", "6789", "0\nok\n"},
         {"<overlong>", "ok"},
         0},
        {"an unfinished line is not held past the limit", {"123", "456"}, {"<overlong>"}, 0},
        {"a CR that is not the last byte counts", {"123\r4\n"}, {"<overlong>"}, 0},
        {"a half line is kept, not run", {"ok\nSOUR"}, {"ok"}, 4},
    };
    for (const auto& [name, chunks, lines, pending] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Frame(chunks), std::pair(lines, pending));
    }
}

} // namespace
} // namespace qv4130::scpi
