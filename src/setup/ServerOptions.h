#pragma once

#include "scpi/qt/ListenAddress.h"
#include "setup/CommandLine.h"

#include <optional>
#include <span>

namespace qv4130 {

// Where a program serves the board's SCPI and the virtual board's simulated
// meter over TCP, as its command line asks.
struct ServerChoice {
    std::optional<scpi::ListenAddress> listen;
    std::optional<scpi::ListenAddress> meterListen;
};

// --listen and --meter-listen, declared once for both programs: qv4130's own
// options, and the options of qv4130ctl's serve.
std::span<const options::Option<ServerChoice>> ServerChoiceOptions();

} // namespace qv4130
