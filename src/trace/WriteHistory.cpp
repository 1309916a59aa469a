#include "WriteHistory.h"

#include "VcdWriter.h"
#include "WriteTiming.h"

#include <vector>

namespace qv4130 {

namespace {
constexpr std::uint64_t ReadFlag = std::uint64_t{1} << 63;
constexpr std::uint64_t NsMask = ReadFlag - 1;
} // namespace

WriteHistory::WriteHistory(std::size_t capacity)
    : capacity_(capacity), entries_(std::make_unique_for_overwrite<std::uint64_t[]>(capacity)) {}

void WriteHistory::AddAt(std::uint64_t ns, std::uint8_t byte) {
    if (count_ == 0) {
        origin_ = ns;
    }
    sinceReading_ = 0;
    Keep(ReadFlag | (((ns - origin_) << 8) & NsMask) | byte);
}

void WriteHistory::WriteTo(VcdWriter& writer) const {
    WriteTimes times;
    bool timed = false;
    // The writes since the last reading wait for the next one.
    std::vector<std::uint8_t> waiting;
    std::uint64_t index = 0;
    auto writeWaiting = [&](const ClockReading* next) {
        const std::uint64_t first = index - waiting.size();
        for (std::size_t i = 0; i < waiting.size(); ++i) {
            writer.Write(times.Place(first + i, next), waiting[i]);
        }
        waiting.clear();
    };
    // The oldest entry: the first one until the history is full, then the next one over.
    const std::size_t oldest = count_ < capacity_ ? 0 : next_;
    for (std::size_t i = 0; i < count_; ++i, ++index) {
        const std::uint64_t entry = entries_[(oldest + i) % capacity_];
        const auto byte = static_cast<std::uint8_t>(entry);
        if ((entry & ReadFlag) == 0) {
            if (timed) {
                waiting.push_back(byte);
            }
            continue;
        }
        const ClockReading reading{index, origin_ + ((entry & NsMask) >> 8)};
        if (timed) {
            writeWaiting(&reading);
        }
        times.Read(reading);
        timed = true;
        writer.Write(reading.ns, byte);
    }
    writeWaiting(nullptr);
}

std::string SaveTrace(const WriteHistory& history, const std::string& path,
                      std::uint64_t closingNs) {
    VcdWriter writer(path);
    history.WriteTo(writer);
    writer.Finish(closingNs);
    return writer.Error();
}

} // namespace qv4130
