#include "WriteTiming.h"

#include <algorithm>

namespace qv4130 {

std::uint32_t StampSpacing::After(std::uint64_t ns, std::uint32_t writes) {
    const bool slow = !started_ || ns - lastNs_ > std::uint64_t{writes} * SlowWriteNs;
    spacing_ = slow ? 1 : std::min(spacing_ * 2, MaxStampSpacing);
    started_ = true;
    lastNs_ = ns;
    return spacing_;
}

void WriteTimes::Read(const ClockReading& reading) {
    paceWrites_ = reading.index - last_.index;
    paceNs_ = reading.ns - last_.ns;
    last_ = reading;
}

std::uint64_t WriteTimes::Place(std::uint64_t index, const ClockReading* next) const {
    const std::uint64_t since = index - last_.index;
    // Between two readings of a steady run of writes: spread evenly.
    if (next != nullptr) {
        const std::uint64_t writes = next->index - last_.index;
        const std::uint64_t ns = next->ns - last_.ns;
        if (ns <= writes * SlowWriteNs) {
            return last_.ns + since * ns / writes;
        }
    }
    // Before a pause, or with nothing read after it yet: on at the last pace.
    return paceWrites_ == 0 ? last_.ns : last_.ns + since * paceNs_ / paceWrites_;
}

} // namespace qv4130
