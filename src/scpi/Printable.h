#pragma once

#include <string>
#include <string_view>

namespace qv4130::scpi {

// Text from a client or a command line as a terminal can safely show it: a
// control byte (an escape sequence, a NUL, a newline) as \xNN, never raw, so
// that echoing a mistake can't clear the screen or forge another line.
std::string Printable(std::string_view text);

} // namespace qv4130::scpi
