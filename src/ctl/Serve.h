#pragma once

#include "scpi/Interpreter.h"
#include "scpi/qt/ListenAddress.h"

namespace qv4130::ctl {

// Serves SCPI on `address` from this thread's event loop until SIGTERM or
// SIGINT, then returns 0. Prints where it listens (the port picked, for port 0)
// on standard output, and warns on standard error when the address is not a
// loopback one.
// Returns 1 when it can't listen or the port library broke.
int Serve(scpi::Interpreter& interpreter, const scpi::ListenAddress& address,
          const char* programPath);

} // namespace qv4130::ctl
