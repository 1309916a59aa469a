#include "IdleFlusher.h"

#include "FtdiPort.h"

#include <algorithm>
#if defined(__linux__)
#include <sys/prctl.h>
#elif defined(_WIN32)
#include <windows.h> // with timeBeginPeriod
#endif

namespace parllio {
namespace {

// The longest sleep with nothing waiting. A wake-up can be missed when a burst
// starts just as the last one is sent; this bounds how long its bytes then wait.
constexpr std::chrono::milliseconds Doze{50};

} // namespace

IdleFlusher::IdleFlusher(std::chrono::microseconds tick) : tick_(tick) {}

IdleFlusher::~IdleFlusher() = default;

void IdleFlusher::Join(FtdiPort& port) {
    const std::lock_guard guard(lock_);
    ports_.push_back(&port);
    if (tick_ != TickByHand && !thread_.joinable()) {
        thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
    }
}

void IdleFlusher::Leave(FtdiPort& port) {
    const std::lock_guard guard(lock_);
    std::erase(ports_, &port);
}

void IdleFlusher::Wake() {
    {
        const std::lock_guard guard(lock_);
        woken_ = true;
    }
    wake_.notify_one();
}

void IdleFlusher::Tick() {
    const std::lock_guard guard(lock_);
    TickLocked();
}

bool IdleFlusher::TickLocked() {
    bool waiting = false;
    for (FtdiPort* port : ports_) {
        waiting = port->FlushIfIdle() || waiting;
    }
    return waiting;
}

void IdleFlusher::Run(std::stop_token stop) {
#if defined(__linux__)
    // Sleeps end within a microsecond of the tick, not the kernel's default 50 µs later.
    prctl(PR_SET_TIMERSLACK, 1000UL);
#elif defined(_WIN32)
    // Windows' timer ticks every 15.6 ms by default, which would hold a burst
    // that long; 1 ms is the finest it offers, asked for while the thread runs.
    timeBeginPeriod(1);
    struct EndPeriod {
        ~EndPeriod() { timeEndPeriod(1); }
    } endPeriod;
#endif
    std::unique_lock lock(lock_);
    bool waiting = false;
    while (!stop.stop_requested()) {
        if (waiting) {
            wake_.wait_for(lock, stop, tick_, [] { return false; });
        } else {
            wake_.wait_for(lock, stop, Doze, [this] { return woken_; });
        }
        woken_ = false;
        waiting = TickLocked();
    }
}

} // namespace parllio
