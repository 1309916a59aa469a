#pragma once

#include <cstdint>

namespace qv4130 {

// Passes of the test sweep's pause after each word. A bare count, not a timer:
// its length follows the processor's speed, and the board needs no more than
// the word's own end to take it.
inline constexpr std::int32_t SweepDelayPasses = 5'000'000;

// Makes `passes` passes of an empty counting loop. The counter is volatile so
// the optimiser can't drop the loop.
void CountDelay(std::int32_t passes);

} // namespace qv4130
