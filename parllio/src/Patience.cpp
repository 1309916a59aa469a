#include "Patience.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <pthread.h>
#include <unistd.h>

namespace parllio {
namespace {

// A real-time signal at the top of the range, where libraries and toolkits
// rarely look; the program itself uses none.
int WakeSignal() {
    return SIGRTMAX - 3;
}

void DoNothing(int) {}

timespec ToTimespec(std::chrono::nanoseconds span) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span);
    timespec result{};
    result.tv_sec = static_cast<time_t>(seconds.count());
    result.tv_nsec = static_cast<long>((span - seconds).count());
    return result;
}

// The signal's handler and this thread's mask while the call runs, put back on exit.
// Every other signal waits, blocked, until the call is over: the kernel's port
// claim, once interrupted, has left the caller on the port's wait list, and a
// second claim would put it there twice. So the call is made once, and only
// the wake signal may end it.
class WakeSignalInstalled {
public:
    WakeSignalInstalled() {
        struct sigaction action {};
        action.sa_handler = DoNothing;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: the sleeping call must return
        sigaction(WakeSignal(), &action, &previousAction_);
        sigset_t allButWake;
        sigfillset(&allButWake);
        sigdelset(&allButWake, WakeSignal());
        pthread_sigmask(SIG_SETMASK, &allButWake, &previousMask_);
    }
    ~WakeSignalInstalled() {
        pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
        sigaction(WakeSignal(), &previousAction_, nullptr);
    }
    WakeSignalInstalled(const WakeSignalInstalled&) = delete;
    WakeSignalInstalled& operator=(const WakeSignalInstalled&) = delete;

private:
    struct sigaction previousAction_ {};
    sigset_t previousMask_{};
};

// A timer that signals this thread after `first` and then every `again`, so that
// a signal landing just before the call goes to sleep is followed by another.
class WakeTimer {
public:
    WakeTimer(std::chrono::milliseconds first, std::chrono::milliseconds again) {
        sigevent event{};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = WakeSignal();
        event._sigev_un._tid = gettid();
        if (timer_create(CLOCK_MONOTONIC, &event, &timer_) != 0) {
            return;
        }
        armed_ = true;
        itimerspec when{};
        when.it_value = ToTimespec(first);
        when.it_interval = ToTimespec(again);
        timer_settime(timer_, 0, &when, nullptr);
    }
    ~WakeTimer() {
        if (armed_) {
            timer_delete(timer_);
        }
    }
    WakeTimer(const WakeTimer&) = delete;
    WakeTimer& operator=(const WakeTimer&) = delete;

    bool Armed() const { return armed_; }

private:
    timer_t timer_{};
    bool armed_ = false;
};

constexpr std::chrono::milliseconds Nudge{50};

} // namespace

int CallWithPatience(std::chrono::milliseconds patience, const std::function<int()>& call) {
    WakeSignalInstalled installed;
    WakeTimer timer(std::max(patience, std::chrono::milliseconds{1}), Nudge);
    if (!timer.Armed()) {
        return -EAGAIN; // without a timer the call could sleep for ever: don't make it
    }
    return call();
}

} // namespace parllio
