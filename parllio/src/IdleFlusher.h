#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

namespace parllio {

class FtdiPort;

// How often the flush thread looks at adapters with bytes waiting: a burst goes
// out one to two ticks (about 100 µs) after its last byte.
inline constexpr std::chrono::microseconds IdleTick{50};
// No thread: the tests tick by hand.
inline constexpr std::chrono::microseconds TickByHand{0};

// The thread that sends an adapter's bytes once the caller stops writing. It
// runs from the first adapter opened and sleeps while no bytes wait; the first
// byte of a burst wakes it.
class IdleFlusher {
public:
    explicit IdleFlusher(std::chrono::microseconds tick = IdleTick);
    ~IdleFlusher();
    IdleFlusher(const IdleFlusher&) = delete;
    IdleFlusher& operator=(const IdleFlusher&) = delete;

    void Join(FtdiPort& port);
    // Once this returns, the port is no longer looked at.
    void Leave(FtdiPort& port);
    void Wake();
    // One look at every adapter: what the thread does every tick.
    void Tick();

private:
    bool TickLocked();
    void Run(std::stop_token stop);

    std::chrono::microseconds tick_;
    std::mutex lock_;
    std::condition_variable_any wake_;
    bool woken_ = false;
    std::vector<FtdiPort*> ports_;
    std::jthread thread_; // last: it stops and joins before the rest goes
};

} // namespace parllio
