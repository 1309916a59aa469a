#pragma once

#include "CtlArguments.h"
#include "scpi/Interpreter.h"
#include "virtualboard/VirtualBoard.h"

#include <iosfwd>
#include <vector>

namespace qv4130::ctl {

struct CtlStreams {
    std::ostream& out;
    std::ostream& errors;
    std::istream& in; // the script of "run -"
};

// Carries out every command but serve, in order, and stops at the first that
// fails, with its reason on the error stream. Returns the exit status: 0 or 1.
// `virtualBoard` is the simulated board when it is the one driven (characterise
// then has its simulated meter), null on hardware.
int RunCtlCommands(const std::vector<CtlCommand>& commands, scpi::Instrument& instrument,
                   scpi::Interpreter& interpreter, CtlStreams streams,
                   VirtualBoard* virtualBoard = nullptr);

} // namespace qv4130::ctl
