#pragma once

#include "board/PortLibrary.h"
#include "board/PrinterPorts.h"
#include "board/SharedLibrary.h"
#include "board/SharedState.h"
#include "host/Report.h"

#include <optional>

namespace qv4130::ctl {

// A port library that can't be loaded, reached at its first call, possibly deep
// inside a command: says why on standard error and ends the process there with
// status 1, before any byte of a word has gone out.
[[noreturn]] void EndForPortLibrary(const PortLibraryError& error);

// Finds the port as the program's start-up does: claims port 1 and asks for its
// base address, each box it would show told to `report` as one line. `port`
// then picks another of the three known addresses, as the port menu would.
// False when no address results.
bool FindPort(PortLibrary& library, SharedState& state, std::optional<PortMenuItem> port,
              const Report& report);

} // namespace qv4130::ctl
