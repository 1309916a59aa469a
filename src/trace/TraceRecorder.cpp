#include "TraceRecorder.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace qv4130 {

namespace {
// How often the recorder's thread looks at the rings while writes come in; it
// sleeps longer, up to IdlePeriod, once they have stopped and the file is flushed.
constexpr std::chrono::milliseconds ActivePeriod{1};
constexpr std::chrono::milliseconds IdlePeriod{64};
} // namespace

TraceRecorder::TraceRecorder(std::unique_ptr<VcdWriter> writer, FailureReport report)
    : stamps_(std::make_unique<ClockReading[]>(StampRing)), writer_(std::move(writer)),
      report_(std::move(report)) {
    if (writer_) {
        thread_ = std::thread([this] { WriterLoop(); });
    }
}

TraceRecorder::~TraceRecorder() {
    Finish();
}

void TraceRecorder::RecordRare(std::uint8_t byte) {
    // Stopped or never started: limit_ stays 0 and every write comes here.
    if (!thread_.joinable()) {
        return;
    }
    const std::uint64_t head = published_.load(std::memory_order_relaxed);
    std::uint64_t seen = limit_.load(std::memory_order_acquire);
    const bool asked = seen != ownLimit_;
    if (asked || head >= nextStampAt_) {
        TakeStamp(head, asked);
    }
    tailSeen_ = tail_.load(std::memory_order_acquire);
    if (head - tailSeen_ == ByteRing) {
        WaitForRoom(tailSeen_, tail_, head, ByteRing);
    }
    ownLimit_ = std::min(nextStampAt_, tailSeen_ + ByteRing);
    // Should the recorder's thread ask again meanwhile, its 0 stays for the next write.
    limit_.compare_exchange_strong(seen, ownLimit_, std::memory_order_relaxed);
    bytes_[head & (ByteRing - 1)] = byte;
    published_.store(head + 1, std::memory_order_release);
}

void TraceRecorder::TakeStamp(std::uint64_t head, bool asked) {
    const std::uint64_t now = MonotonicNs();
    const auto writes = static_cast<std::uint32_t>(head - lastStampAt_);
    nextStampAt_ = head + stampSpacing_.After(now, writes);
    lastStampAt_ = head;
    // The recorder's thread has gone to sleep for longer: these writes may end
    // in a pause that should see them flushed.
    if (asked && sleepy_.load(std::memory_order_relaxed)) {
        WakeWriter();
    }
    if (stampHead_ - stampTailSeen_ == StampRing) {
        WaitForRoom(stampTailSeen_, stampTail_, stampHead_, StampRing);
    }
    stamps_[stampHead_ & (StampRing - 1)] = ClockReading{head, now};
    stampsPublished_.store(++stampHead_, std::memory_order_release);
}

void TraceRecorder::WakeWriter() {
    {
        const std::lock_guard lock(mutex_);
        drainWanted_ = true;
    }
    writerWake_.notify_one();
}

void TraceRecorder::WaitForRoom(std::uint64_t& tailSeen, const std::atomic<std::uint64_t>& tail,
                                std::uint64_t head, std::uint64_t size) {
    std::unique_lock lock(mutex_);
    roomWanted_ = true;
    drainWanted_ = true;
    writerWake_.notify_one();
    roomMade_.wait(lock, [&] {
        tailSeen = tail.load(std::memory_order_acquire);
        return head - tailSeen < size;
    });
    roomWanted_ = false;
}

void TraceRecorder::Flush() {
    std::unique_lock lock(mutex_);
    flushWanted_ = true;
    drainWanted_ = true;
    writerWake_.notify_one();
    const std::uint64_t head = published_.load(std::memory_order_relaxed);
    roomMade_.wait(lock, [&] { return flushedTo_ >= head || !thread_.joinable(); });
}

void TraceRecorder::Finish() {
    if (!thread_.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    writerWake_.notify_one();
    thread_.join();
    limit_.store(0, std::memory_order_relaxed);
}

void TraceRecorder::WriterLoop() {
    auto period = ActivePeriod;
    bool unflushed = false;
    std::unique_lock lock(mutex_);
    for (;;) {
        writerWake_.wait_for(lock, period, [this] { return stop_ || drainWanted_; });
        drainWanted_ = false;
        const bool stopping = stop_;
        const bool flushing = std::exchange(flushWanted_, false);
        lock.unlock();

        const bool idle =
            published_.load(std::memory_order_acquire) == tail_.load(std::memory_order_relaxed);
        if (idle && !unflushed && period < IdlePeriod) {
            period = std::min(period * 2, IdlePeriod);
            sleepy_.store(true, std::memory_order_relaxed);
        }
        // Whatever is written from here on may follow a pause: ask for a reading.
        limit_.store(0, std::memory_order_release);
        if (!idle) {
            Drain();
            unflushed = true;
            period = ActivePeriod;
            sleepy_.store(false, std::memory_order_relaxed);
        } else if (unflushed) {
            // The writes have paused: what they wrote goes to the file now.
            writer_->Flush();
            unflushed = false;
        }
        if (flushing) {
            writer_->Flush();
            unflushed = false;
            const std::lock_guard flushed(mutex_);
            flushedTo_ = tail_.load(std::memory_order_relaxed);
            roomMade_.notify_one();
        }
        if (stopping) {
            Drain();
            writer_->Finish(MonotonicNs());
            ReportFailure();
            return;
        }
        ReportFailure();
        lock.lock();
    }
}

void TraceRecorder::Drain() {
    // Every stamp is published before its byte, so this sees the stamps of
    // every byte up to `head`.
    const std::uint64_t head = published_.load(std::memory_order_acquire);
    const std::uint64_t stampHead = stampsPublished_.load(std::memory_order_acquire);
    std::uint64_t stampTail = stampTail_.load(std::memory_order_relaxed);
    for (std::uint64_t i = tail_.load(std::memory_order_relaxed); i != head; ++i) {
        const ClockReading* next =
            stampTail != stampHead ? &stamps_[stampTail & (StampRing - 1)] : nullptr;
        std::uint64_t ns = 0;
        if (next != nullptr && next->index == i) {
            times_.Read(*next);
            ns = next->ns;
            ++stampTail;
        } else {
            ns = times_.Place(i, next);
        }
        writer_->Write(ns, bytes_[i & (ByteRing - 1)]);
    }
    tail_.store(head, std::memory_order_release);
    stampTail_.store(stampTail, std::memory_order_release);
    const std::lock_guard lock(mutex_);
    if (roomWanted_) {
        roomMade_.notify_one();
    }
}

void TraceRecorder::ReportFailure() {
    if (!reported_ && !writer_->Error().empty()) {
        reported_ = true;
        if (report_) {
            report_(writer_->Error());
        }
    }
}

} // namespace qv4130
