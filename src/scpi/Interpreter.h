#pragma once

#include "BoardCommands.h"
#include "Engine.h"

namespace qv4130::scpi {

// The board's SCPI commands (BoardCommands.cpp) on the engine, over the Board.
// One interpreter per board, whatever number of clients.
using Interpreter = Engine<Board>;

} // namespace qv4130::scpi
