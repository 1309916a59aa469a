#pragma once

#include "BoardReach.h"
#include "CtlArguments.h"
#include "host/Report.h"
#include "scpi/Interpreter.h"
#include "setup/BoardSetup.h"

#include <iosfwd>
#include <vector>

namespace qv4130::ctl {

// Where the commands' output goes, and where a failure is told.
struct Streams {
    std::ostream& out;
    Report failed;
};

// Carries out every command but serve, in order, and stops at the first that
// fails, with its reason told: a refused command, and one whose
// bytes could not reach the board (`reach`). Returns the exit status: 0 or 1.
// "run -" reads standard input. On the virtual board `board` gives
// characterise its simulated meter.
int RunCommands(const std::vector<Command>& commands, Board& instrument,
                scpi::Interpreter& interpreter, BoardReach& reach, Streams streams,
                BoardSetup& board);

} // namespace qv4130::ctl
