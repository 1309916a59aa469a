#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace qv4130::ctl {

// The one line of SCPI that asks for everything "status" prints, from the
// command table's rows: SYST:PORT?;OUTP?;SOUR:CHAN0:CODE?;...;SOUR:CHAN15:CODE?
std::string StatusQuery();

// Prints the replies to StatusQuery(), from this process's board or a
// server's: "port: LPT1 (0x378)", "output: on", then "channel N: CODE" for each
// channel (-1 while unknown). `claimed` false adds that nothing sent reaches
// the board. False, printing nothing, when the replies are not a board's status.
bool PrintStatus(std::ostream& out, const std::vector<std::string>& replies, bool claimed);

} // namespace qv4130::ctl
