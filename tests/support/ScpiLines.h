#pragma once

// The SCPI conformance tables' two columns: what a run of command lines replies,
// and what it leaves in the client's error queue.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace qv4130::test {

// Runs `lines` ('\n' between them) one at a time through `execute(line, replies)`;
// their replies as a server sends them, ';' between a line's own, '|' between lines.
template <typename Execute> std::string RunLines(std::string_view lines, Execute execute) {
    std::string replies;
    for (std::size_t start = 0, end = 0; end < lines.size(); start = end + 1) {
        end = std::min(lines.find('\n', start), lines.size());
        std::vector<std::string> line;
        execute(lines.substr(start, end - start), line);
        for (std::size_t i = 0; i < line.size(); ++i) {
            replies += (i > 0 ? ";" : replies.empty() ? "" : "|") + line[i];
        }
    }
    return replies;
}

// The numbers of the errors in `queue`, oldest first and ',' between; it is left empty.
template <typename Queue> std::string DrainErrors(Queue& queue) {
    std::string errors;
    while (const auto error = queue.Pop()) {
        errors += (errors.empty() ? "" : ",") + std::to_string(static_cast<int>(*error));
    }
    return errors;
}

} // namespace qv4130::test
