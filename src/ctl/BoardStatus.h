#pragma once

#include "board/BoardVocabulary.h"

#include <array>
#include <cstdint>
#include <iosfwd>

namespace qv4130::ctl {

// What "status" prints, gathered from this process's board or from a server's.
struct BoardStatus {
    std::uint16_t portAddress = 0;
    bool claimed = true; // false: nothing sent reaches the board
    bool output = true;
    std::array<int, ChannelCount> codes{}; // -1 while unknown
};

// "port: LPT1 (0x378)", "output: on", then "channel N: CODE" for each channel.
void PrintStatus(std::ostream& out, const BoardStatus& status);

} // namespace qv4130::ctl
