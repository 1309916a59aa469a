#include "Patience.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <pthread.h>
#include <unistd.h>
#include <vector>

namespace parllio {
namespace {

using std::chrono::milliseconds;

// Every real-time signal's handler, to see that nothing is left changed.
std::vector<void (*)(int)> RealTimeHandlers() {
    std::vector<void (*)(int)> handlers;
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        struct sigaction action {};
        sigaction(signal, nullptr, &action);
        handlers.push_back(action.sa_handler);
    }
    return handlers;
}

TEST(CallWithPatience, WakesACallThatWouldSleepForEver) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const auto handlersBefore = RealTimeHandlers();
    // A caller that keeps real-time signals blocked must still be woken, and keep its mask.
    sigset_t realTime;
    sigemptyset(&realTime);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        sigaddset(&realTime, signal);
    }
    sigset_t callersMask;
    pthread_sigmask(SIG_BLOCK, &realTime, &callersMask);

    // Nothing is ever written to the pipe: the read sleeps until it is woken.
    const int result = CallWithPatience(milliseconds{100}, [&] {
        char byte;
        return read(pipeEnds[0], &byte, 1) < 0 ? -errno : 0;
    });
    EXPECT_EQ(result, -EINTR);
    EXPECT_EQ(RealTimeHandlers(), handlersBefore);
    sigset_t maskAfter;
    pthread_sigmask(SIG_SETMASK, &callersMask, &maskAfter);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        EXPECT_EQ(sigismember(&maskAfter, signal), 1) << signal;
    }

    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

TEST(CallWithPatience, PassesAPromptResultThroughAndRidesOutEarlyInterruptions) {
    struct Case {
        std::vector<int> results; // what the call returns at each try
        int expected;
        int tries;
    };
    const Case cases[] = {
        {{0}, 0, 1},
        {{-ENXIO}, -ENXIO, 1},
        {{-EINTR, -EINTR, 0}, 0, 3}, // another signal woke it before the patience ran out
    };
    for (const Case& c : cases) {
        int tries = 0;
        const int result =
            CallWithPatience(milliseconds{5000}, [&] { return c.results.at(tries++); });
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(tries, c.tries);
    }
}

} // namespace
} // namespace parllio
