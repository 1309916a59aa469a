#include "TableRows.h"

#include "scpi/BoardCommands.h"

#include <cmath>
#include <stdexcept>

namespace qv4130::ctl {

namespace {

// The table's row with that header: this file is all qv4130ctl knows of the
// table's rows.
const auto& Row(std::string_view header) {
    for (const auto& row : scpi::CommandTable()) {
        if (row.header == header) {
            return row;
        }
    }
    throw std::logic_error("qv4130ctl: no SCPI command " + std::string(header));
}

} // namespace

std::string RowLine(std::string_view header, long long channel) {
    const std::string_view named = Row(header).header;
    std::string line;
    int optional = 0; // inside [ ]
    for (const char c : named) {
        if (c == '[' || c == ']') {
            optional += c == '[' ? 1 : -1;
        } else if (optional > 0 || (c >= 'a' && c <= 'z')) {
            continue; // an optional node, or a long form's tail
        } else if (c == '#') {
            line += std::to_string(channel);
        } else {
            line += c;
        }
    }
    return line;
}

RowRange RowLimits(std::string_view header) {
    const auto& limits = Row(header).parameters.rules[0].limits;
    return {std::llround(limits.min), std::llround(limits.max)};
}

} // namespace qv4130::ctl
