#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace parllio {

// The I/O base Windows gave the printer port it names `name` ("LPT3"), from
// its device information: the Ports class, the port's allocated I/O range.
// A card's port often gets an address far from 0x378, which this finds for
// the operator. Nothing, with the reason in `why`, when Windows lists no such
// port or gave it no I/O range.
std::optional<std::int32_t> WindowsPortBase(const std::string& name, std::string& why);

} // namespace parllio
