#pragma once

#include <cstdint>

namespace qv4130 {

// Reading the clock costs about as much as ten writes to a do-nothing port
// library, so a trace cannot afford a reading for every write when writes are
// that fast. The caller's side (StampSpacing) decides which writes get one; the
// writer's side (WriteTimes) gives every write its time from those readings.
// Writes slower than SlowWriteNs each (a real printer port takes about 1 us) are
// all read; faster ones are read at spacings that double up to MaxStampSpacing,
// and the writes between are spread evenly between the readings around them, or,
// before a pause, follow the last reading at the pace measured before it. A pause
// of more than a millisecond or two always ends in a reading: the trace's thread
// asks for one every millisecond, and the first write after that is read.

inline constexpr std::uint64_t SlowWriteNs = 500;
inline constexpr std::uint32_t MaxStampSpacing = 128;

class StampSpacing {
public:
    // A reading `ns` taken `writes` writes after the one before (ignored for the
    // first). Returns how many writes may pass before the next reading.
    std::uint32_t After(std::uint64_t ns, std::uint32_t writes);

private:
    bool started_ = false;
    std::uint64_t lastNs_ = 0;
    std::uint32_t spacing_ = 1;
};

// The clock's reading for the write at `index` (counted from the first write).
struct ClockReading {
    std::uint64_t index = 0;
    std::uint64_t ns = 0;
};

class WriteTimes {
public:
    // A write with a reading of its own.
    void Read(const ClockReading& reading);
    // The time of write `index`, made after the last reading and before `next`
    // (null while the next reading is not known yet).
    std::uint64_t Place(std::uint64_t index, const ClockReading* next) const;

private:
    ClockReading last_;
    std::uint64_t paceWrites_ = 0;
    std::uint64_t paceNs_ = 0;
};

} // namespace qv4130
