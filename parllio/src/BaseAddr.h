#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace parllio {

// The I/O base of a port from the text of /proc/sys/dev/parport/parportN/base-addr.
// The kernel writes the base and the extended-register base in decimal,
// separated by a tab ("888\t1912\n"); only the first field is wanted. Anything
// that does not start with an unsigned decimal 0 to 0xFFFF (the x86 I/O space) followed by
// white space or the end gives nothing.
std::optional<std::int32_t> ParseBaseAddr(std::string_view text);

} // namespace parllio
