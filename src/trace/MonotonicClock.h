#pragma once

#include <chrono>
#include <cstdint>

namespace qv4130 {

// Nanoseconds on the monotonic clock, which no change of the wall clock moves:
// the time base of every trace.
inline std::uint64_t MonotonicNs() {
    const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count());
}

} // namespace qv4130
