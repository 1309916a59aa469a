// The library with an FTDI adapter in bit-bang mode as its port: the data
// register's bytes reach the adapter in order, in as few USB transfers as the
// caller's own pauses allow. What can go wrong is ParallelPortsTest's FailedClaims.
#include "FakeAdapters.h"
#include "ParallelPorts.h"
#include "PortBindings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace parllio {
namespace {

using namespace ::testing;
using namespace fakes;

TEST(FtdiPorts, ABurstGoesOutAtAReadAtIdleAtReleaseAndWhenTheLibraryGoes) {
    FakeKernel kernel; // no printer ports, no configuration: the one adapter is port 1
    FakeFtdi ftdi;
    PortBindings bindings{kernel, ftdi, {}, TickByHand};
    std::optional<ParallelPorts> ports;
    const std::pair<const char*, std::function<void()>> ends[] = {
        {"status read", [&] { ports->In(889); }},
        {"control read", [&] { EXPECT_EQ(ports->In(890), 0x2C) << "its last write"; }},
        {"data read", [&] { EXPECT_EQ(ports->In(888), 0x16) << "the last byte written"; }},
        {"idle",
         [&] { // two looks of the flush thread with no write between them
             bindings.Flusher().Tick();
             bindings.Flusher().Tick();
         }},
        {"release", [&] { ports->Release(1); }},
        {"the library going", [&] { ports.reset(); }},
    };
    for (const auto& [end, action] : ends) {
        SCOPED_TRACE(end);
        ports.emplace(kernel, bindings);
        ftdi.transfers.clear();
        ports->Out(888, 0x12);
        ports->Out(890, 0x2C);
        bindings.Flusher().Tick(); // one look alone may fall inside a burst
        ports->Out(888, 0x16);
        EXPECT_THAT(ftdi.transfers, IsEmpty());
        action();
        EXPECT_THAT(ftdi.transfers, ElementsAre(Bytes{0x12, 0x16}));
    }
    // Bit-bang mode first: libftdi scales the rate only then, asking the chip for
    // four times it; an FT232R clocks a byte out every sixteen of those, and each
    // byte must stay at least 1 µs, as on a printer port.
    ASSERT_GE(ftdi.calls.size(), 3u);
    EXPECT_THAT(std::vector(ftdi.calls.begin(), ftdi.calls.begin() + 3),
                ElementsAre("open", "bitmode 255 1", StartsWith("baud ")));
    EXPECT_LE(64 * std::stoi(ftdi.calls[2].substr(5)), 1'000'000);
    EXPECT_EQ(std::ranges::count(ftdi.calls, "open"), std::ranges::count(ftdi.calls, "close"));
    EXPECT_THAT(kernel.told, IsEmpty());
}

TEST(FtdiFlushThread, SendsEveryByteInOrderFullBuffersAtOnceTheRestSoonAfterTheLastWrite) {
    FakeKernel kernel;
    FakeFtdi ftdi;
    PortBindings bindings(kernel, ftdi, {}); // the real flush thread
    ParallelPorts ports(kernel, bindings);
    Bytes written;
    for (const int size : {10'000, 4, 4}) { // it sleeps between bursts and wakes again
        for (int i = 0; i < size; ++i) {
            written.push_back(static_cast<std::uint8_t>(written.size() * 7));
            ports.Out(888, written.back());
        }
        for (int wait = 0; wait < 10'000 && ftdi.Received() != written; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_EQ(ftdi.Received(), written);
    }
    EXPECT_GE(ftdi.transfers.size(), 4u) << "a full buffer went out on its own";
}

} // namespace
} // namespace parllio
