#pragma once

#include <string>
#include <string_view>

namespace qv4130::ctl {

// The rows of the SCPI command table (scpi::CommandTable) that qv4130ctl's
// commands are made of, found by their headers through the table's public
// list: what a command does, and the range its value is checked against, are
// its row's own. A header that no row has is a mistake in this program, thrown
// as std::logic_error (a test holds every command to its row).

// The line that names the row, as sent: the header's short form, its optional
// nodes left out and `channel` in place of its '#': "SOURce:CHANnel#:CODE",
// 5 gives "SOUR:CHAN5:CODE"; "OUTPut[:STATe]" gives "OUTP".
std::string RowLine(std::string_view header, long long channel = 0);

// The limits of the row's number, as its rule checks it: CODE's 0 and 4095.
struct RowRange {
    long long lowest = 0;
    long long highest = 0;
};
RowRange RowLimits(std::string_view header);

} // namespace qv4130::ctl
