// The parts only the real system shows: signals, the built library, a real port.
#include "LinuxKernel.h"
#include "ParallelPorts.h"
#include "Patience.h"
#include "board/DynamicPortLibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <iterator>
#include <pthread.h>
#include <unistd.h>
#include <vector>

namespace parllio {
namespace {

using namespace std::chrono_literals;

// Every real-time signal's handler, and whether this thread blocks it.
std::vector<std::pair<void (*)(int), int>> RealTimeSignals() {
    std::vector<std::pair<void (*)(int), int>> state;
    sigset_t mask;
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        struct sigaction action {};
        sigaction(signal, nullptr, &action);
        state.emplace_back(action.sa_handler, sigismember(&mask, signal));
    }
    return state;
}

TEST(CallWithPatience, WakesACallThatWouldSleepForEverAndPutsTheSignalsBack) {
    // Nothing is ever written to the pipe: the read sleeps until the wake signal ends it,
    // and would sleep on if the signal's handler let the kernel restart it.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const auto sleepingRead = [&] {
        char byte;
        return read(pipeEnds[0], &byte, 1) < 0 ? -errno : 0;
    };
    // A caller that keeps the real-time signals blocked must still be woken.
    sigset_t realTime, callers;
    sigemptyset(&realTime);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        sigaddset(&realTime, signal);
    }
    pthread_sigmask(SIG_BLOCK, &realTime, &callers);
    const auto before = RealTimeSignals();
    EXPECT_EQ(CallWithPatience(100ms, sleepingRead), -EINTR);
    EXPECT_EQ(RealTimeSignals(), before);
    pthread_sigmask(SIG_SETMASK, &callers, nullptr);
    close(pipeEnds[0]);
    close(pipeEnds[1]);

    int tries = 0; // another signal that wakes it early is ridden out
    EXPECT_EQ(CallWithPatience(5s, [&] { return ++tries < 3 ? -EINTR : 0; }), 0);
    EXPECT_EQ(tries, 3);
    EXPECT_EQ(CallWithPatience(5s, [] { return -ENXIO; }), -ENXIO);
}

TEST(BuiltLibrary, ReachesPortsOnlyThroughTheKernelsDriverAndTellsWhyOnStandardError) {
    // Raw port access would need ioperm or iopl; the library must not even import them.
    std::ifstream file(PARLLIO_LIBRARY, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(bytes.find(std::string("\0ioperm\0", 8)), std::string::npos);
    EXPECT_EQ(bytes.find(std::string("\0iopl\0", 6)), std::string::npos);
    EXPECT_NE(bytes.find(std::string("\0ioctl\0", 7)), std::string::npos);

    // Loaded as the program loads it, it answers for no other port than a printer port.
    qv4130::DynamicPortLibrary library(PARLLIO_LIBRARY);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(library.InByte(0x2F8), 0xFF); // a serial port's registers
    EXPECT_THAT(::testing::internal::GetCapturedStderr(),
                ::testing::HasSubstr("parllio: no printer port at I/O address 0x02F8 (760)"));
}

// It writes back what it reads, so a board on the port sees its lines unchanged.
TEST(RealPort, ClaimsPortOneAndReadsBackWhatItWrites) {
    if (access("/dev/parport0", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no /dev/parport0 this user can open";
    }
    LinuxKernel kernel;
    ParallelPorts ports(kernel);
    ParallelPortInfo info{12, 0, 0};
    ASSERT_EQ(ports.Info(1, &info), 1);
    ASSERT_EQ(ports.Claim(1), 1) << "see the message above";
    for (const std::int32_t address : {info.base_address, info.base_address + 2}) {
        const std::int32_t value = ports.In(address);
        ports.Out(address, value);
        EXPECT_EQ(ports.In(address), value) << address;
    }
    EXPECT_EQ(ports.Release(1), 1);
}

} // namespace
} // namespace parllio
