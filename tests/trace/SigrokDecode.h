#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv4130::testing {

// The 18-bit words sigrok-cli's SPI decoder finds on DIN in the trace at `path`,
// read with the command the README gives.
std::vector<std::uint32_t> DecodeWords(const std::string& path);

} // namespace qv4130::testing
