#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace qv4130::testing {

// The board's five lines after every timestamp of a VCD file, read the plain
// way, in data-register bits. A line not given a level yet has its bit set in
// the high byte.
using LineLevels = std::map<std::uint64_t, std::uint16_t>;
LineLevels LevelsByTime(const std::string& path);

// The levels at `time`.
std::uint16_t LevelsAt(const LineLevels& levels, std::uint64_t time);

} // namespace qv4130::testing
