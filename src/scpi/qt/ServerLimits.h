#pragma once

#include <chrono>
#include <cstddef>

namespace qv4130::scpi {

// What one client may hold of the server, so that none can starve or bloat it.
struct ServerLimits {
    // Replies not yet taken by the client: past this the server reads and runs
    // nothing more of that client's until it takes some.
    std::size_t outputBound = 1024 * 1024;
    // How long a client may stay past that bound before it is disconnected.
    std::chrono::milliseconds stallLimit{30'000};
    // Clients at once; one more is told so and disconnected.
    int maxClients = 500;
};

} // namespace qv4130::scpi
