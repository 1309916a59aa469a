#pragma once

#include "ParallelPorts.h"

namespace parllio {

// The process's one set of ports over the real system and its adapters, made
// at the first call and given back when the library is unloaded or the
// process ends. Each platform has its own.
ParallelPorts& ThePorts();

} // namespace parllio
