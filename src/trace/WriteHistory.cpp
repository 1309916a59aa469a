#include "WriteHistory.h"

#include "MonotonicClock.h"
#include "VcdWriter.h"
#include "WriteTiming.h"
#include "board/Signals.h"

namespace qv4130 {

namespace {
constexpr std::uint64_t ReadFlag = std::uint64_t{1} << 63;
constexpr std::uint64_t NsMask = ReadFlag - 1;
} // namespace

WriteHistory::WriteHistory(std::size_t capacity) : capacity_(capacity) {}

void WriteHistory::Add(std::uint8_t byte) {
    const bool inWord = (byte & line::Sync) == 0;
    const bool syncMoved = ((byte ^ last_) & line::Sync) != 0;
    last_ = byte;
    if (entries_.empty() || !inWord || syncMoved || ++sinceReading_ >= MaxStampSpacing) {
        AddAt(MonotonicNs(), byte);
    } else {
        Keep(byte);
    }
}

void WriteHistory::AddAt(std::uint64_t ns, std::uint8_t byte) {
    if (entries_.empty()) {
        origin_ = ns;
    }
    sinceReading_ = 0;
    Keep(ReadFlag | (((ns - origin_) << 8) & NsMask) | byte);
}

void WriteHistory::Keep(std::uint64_t entry) {
    if (entries_.size() < capacity_) {
        entries_.push_back(entry);
    } else {
        entries_[next_] = entry;
        next_ = next_ + 1 == capacity_ ? 0 : next_ + 1;
    }
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
    for (std::size_t i = 0; i < entries_.size(); ++i, ++index) {
        const std::uint64_t entry = entries_[(next_ + i) % entries_.size()];
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
