#pragma once

#include "MonotonicClock.h"
#include "VcdWriter.h"
#include "WriteTiming.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace qv4130 {

// Records bytes written to the port, with their times, and writes them to a VCD
// file on a thread of its own, so the writer of the port pays only for a store
// into a ring. The rings have a fixed size: a caller that outruns the file waits
// for room, and memory never grows however long the run. The file is flushed
// whenever the writes pause for a millisecond or two, and when recording ends.
//
// Record and Finish belong to one thread, the one that writes to the port.
class TraceRecorder {
public:
    // Told once, from the recorder's own thread, when the file cannot be
    // written; nothing more is written to it after that.
    using FailureReport = std::function<void(const std::string& text)>;

    // Takes over `writer`, whose file is open, and starts the recorder's thread.
    // Without a writer nothing is recorded.
    TraceRecorder(std::unique_ptr<VcdWriter> writer, FailureReport report);
    // Finishes the file.
    ~TraceRecorder();

    TraceRecorder(const TraceRecorder&) = delete;
    TraceRecorder& operator=(const TraceRecorder&) = delete;

    // Records that the data register is given `byte`, unless this write is one
    // of the rare ones (a clock reading is due, the recorder's thread asked for
    // one, the ring is full): then it returns false and RecordRare must have it.
    // Kept apart so the common write makes no call at all.
    bool TryRecord(std::uint8_t byte) {
        const std::uint64_t head = published_.load(std::memory_order_relaxed);
        if (head >= limit_.load(std::memory_order_relaxed)) [[unlikely]] {
            return false;
        }
        bytes_[head & (ByteRing - 1)] = byte;
        published_.store(head + 1, std::memory_order_release);
        return true;
    }
    void RecordRare(std::uint8_t byte);

    // Returns once everything recorded so far is in the file.
    void Flush();
    // Writes what is left and the closing timestamp, and closes the file.
    // Nothing is recorded after it.
    void Finish();

private:
    static constexpr std::uint64_t ByteRing = std::uint64_t{1} << 20;
    static constexpr std::uint64_t StampRing = std::uint64_t{1} << 12;

    void TakeStamp(std::uint64_t head, bool asked);
    void WaitForRoom(std::uint64_t& tailSeen, const std::atomic<std::uint64_t>& tail,
                     std::uint64_t head, std::uint64_t size);
    void WakeWriter();

    void WriterLoop();
    void Drain();
    void ReportFailure();

    // The port writer's side.
    std::uint64_t tailSeen_ = 0;
    std::uint64_t ownLimit_ = 0;
    std::uint64_t nextStampAt_ = 0;
    std::uint64_t lastStampAt_ = 0;
    std::uint64_t stampHead_ = 0;
    std::uint64_t stampTailSeen_ = 0;
    StampSpacing stampSpacing_;

    // Shared, each group on a cache line of its own.
    std::unique_ptr<ClockReading[]> stamps_;
    // The bytes recorded; only the port writer's thread moves it on.
    alignas(64) std::atomic<std::uint64_t> published_{0};
    std::atomic<std::uint64_t> stampsPublished_{0};
    // The caller's next rare write; the recorder's thread sets it to 0 to ask
    // for a reading.
    alignas(64) std::atomic<std::uint64_t> limit_{0};
    std::atomic<bool> sleepy_{false};
    alignas(64) std::atomic<std::uint64_t> tail_{0};
    std::atomic<std::uint64_t> stampTail_{0};
    std::mutex mutex_;
    std::condition_variable writerWake_;
    std::condition_variable roomMade_;
    bool stop_ = false;
    bool drainWanted_ = false;
    bool roomWanted_ = false;
    bool flushWanted_ = false;
    std::uint64_t flushedTo_ = 0;

    // The recorder's thread's side.
    std::unique_ptr<VcdWriter> writer_;
    WriteTimes times_;
    FailureReport report_;
    bool reported_ = false;
    std::thread thread_;

    // Inside the object, so the common write finds it without a pointer.
    alignas(64) std::array<std::uint8_t, ByteRing> bytes_{};
};

} // namespace qv4130
