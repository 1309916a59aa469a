#pragma once

#include "board/PortLibrary.h"
#include "board/PrinterPorts.h"
#include "board/SharedState.h"

#include <iosfwd>
#include <memory>
#include <optional>

namespace qv4130::ctl {

// The simulated board, or the port library loaded by name. A library that can't
// be loaded ends the process with status 1 and its reason on standard error.
std::unique_ptr<PortLibrary> MakeCtlPortLibrary(bool virtualBoard);

// Finds the port as the program's start-up does: claims port 1 and asks for its
// base address, each box it would show written as one line on `errors`. `port`
// then picks another of the three known addresses, as the port menu would.
// False when no address results.
bool FindPort(PortLibrary& library, SharedState& state, std::optional<PortMenuItem> port,
              std::ostream& errors);

} // namespace qv4130::ctl
