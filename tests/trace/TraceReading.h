#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qv4130::test {

// The board's five lines after every timestamp of a VCD file, read the plain
// way, in data-register bits.
using LineLevels = std::map<std::uint64_t, std::uint16_t>;
LineLevels LevelsByTime(const std::string& path);

// The 18-bit words sigrok-cli's SPI decoder finds on DIN in the trace at `path`,
// read with the command the README gives (not on Windows).
std::vector<std::uint32_t> DecodeWords(const std::string& path);

} // namespace qv4130::test
