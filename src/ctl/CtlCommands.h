#pragma once

#include "CtlArguments.h"
#include "scpi/Interpreter.h"

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
int RunCtlCommands(const std::vector<CtlCommand>& commands, scpi::Instrument& instrument,
                   scpi::Interpreter& interpreter, CtlStreams streams);

} // namespace qv4130::ctl
