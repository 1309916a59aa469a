#pragma once

#include "CtlArguments.h"
#include "CtlCommands.h"

#include <string>
#include <vector>

namespace qv4130::ctl {

// Carries out the commands on the board of a running server (qv4130 --listen,
// qv4130ctl serve) at `address` (HOST[:PORT], 5025 by default) as SCPI: each
// command its declared line, run its script's lines. Prints what the commands
// print when run here, and stops at the first that fails, told in one line: a
// server that can't be reached, goes away or does not answer in time, or an
// error it queued for the line (SYST:ERR? is asked after every line).
// Returns the exit status: 0 or 1. Characterise and serve are not sent.
int RunOnServer(const std::vector<Command>& commands, const std::string& address, Streams streams);

} // namespace qv4130::ctl
