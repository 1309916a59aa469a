#pragma once

#include "scpi/CommandHandler.h"
#include "scpi/qt/ListenAddress.h"

#include <optional>

namespace qv4130::ctl {

// A SCPI port to serve: what carries out its clients' lines, and where.
struct ServedPort {
    scpi::CommandHandler& handler;
    scpi::ListenAddress address;
};

// Serves the board's SCPI, and the virtual board's simulated meter when asked,
// from this thread's event loop until SIGTERM or SIGINT, then returns 0. Prints
// where each listens (the port picked, for port 0) on standard output, the
// board's first, and warns on standard error when an address is not a loopback
// one. Returns 1 when it can't listen or the port library broke.
int Serve(const ServedPort& board, const std::optional<ServedPort>& meter, const char* programPath);

} // namespace qv4130::ctl
