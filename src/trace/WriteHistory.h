#pragma once

#include "MonotonicClock.h"
#include "WriteTiming.h"
#include "qv4130/BoardVocabulary.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qv4130 {

class VcdWriter;

// The last writes to the board's data register, oldest first: all of them up
// to the capacity, then the newest ones. Its memory stops growing at 8 bytes a
// write.
//
// Reading the clock would cost more than the rest of a write to the virtual
// board, so Add reads it only where the times tell something: at every write
// outside a word, at the writes that lower and raise SYNC, and at every 128th
// write inside one. The writes of a word are spread evenly between its first
// and last, which follow one another as fast as the program can write.
class WriteHistory {
public:
    static constexpr std::size_t DefaultCapacity = 1'000'000;

    explicit WriteHistory(std::size_t capacity = DefaultCapacity);

    // The register was given `byte` just now.
    void Add(std::uint8_t byte) {
        // Inside a word (SYNC low now and before) the clock is seldom read.
        if (((byte | last_) & line::Sync) == 0 && count_ != 0 && ++sinceReading_ < MaxStampSpacing)
            [[likely]] {
            Keep(byte);
        } else {
            AddAt(MonotonicNs(), byte);
        }
        last_ = byte;
    }
    // The register was given `byte` at `ns` on the monotonic clock.
    void AddAt(std::uint64_t ns, std::uint8_t byte);

    std::size_t Size() const { return count_; }

    // Every write kept, from the first one with a reading of the clock.
    void WriteTo(VcdWriter& writer) const;

private:
    void Keep(std::uint64_t entry) {
        entries_[next_] = entry;
        next_ = next_ + 1 == capacity_ ? 0 : next_ + 1;
        count_ = count_ < capacity_ ? count_ + 1 : count_;
    }

    std::size_t capacity_;
    // Each write in one word: a flag for a reading, its nanoseconds since the
    // first write, then the byte. The memory is taken as the writes come.
    std::unique_ptr<std::uint64_t[]> entries_;
    std::size_t count_ = 0;
    // Where the next write goes; once the history is full, its oldest entry.
    std::size_t next_ = 0;
    std::uint64_t origin_ = 0;
    std::uint8_t last_ = 0;
    std::uint32_t sinceReading_ = 0;
};

// Writes `history` to a VCD file at `path`, closed at `closingNs`. Returns what
// went wrong, or nothing when the file was written.
std::string SaveTrace(const WriteHistory& history, const std::string& path,
                      std::uint64_t closingNs);

} // namespace qv4130
