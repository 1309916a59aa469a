#pragma once

#include "CommandTable.h"
#include "board/Board.h"

#include <span>

namespace qv4130::scpi {

// The board's SCPI commands (IEEE 488.2 common commands and status, SCPI-99's
// SYSTem and STATus, the board's SOURce, OUTPut and DIAGnostic), over the
// Board. Numeric suffixes name channels 0-15.
template <> const CommandSet<Board>& CommandsOf<Board>();

// The board's table, in the order the help lists it.
std::span<const CommandRow<Board>> CommandTable();

} // namespace qv4130::scpi
