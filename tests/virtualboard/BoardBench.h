#pragma once

#include "board/CommsFunctions.h"
#include "virtualboard/VirtualBoard.h"

namespace qv4130::test {

constexpr std::uint16_t Lpt1 = 888;

// The board as the main window leaves it after loading: running, powered up, idle.
struct BoardBench {
    BoardBench() { board.OutByte(Lpt1, board_byte::PoweredUp); }

    // The word composed here, not by the program, so a round trip checks both ends.
    void Send(int mode, int channel, int data, std::int16_t bits = SerialWordBits) {
        SendSerialWord(board, mode * 65536 + channel * 4096 + data, Lpt1, bits);
    }
    const Qv4130Chip& chip() const { return board.Chip(); }

    VirtualBoard board;
};

} // namespace qv4130::test
