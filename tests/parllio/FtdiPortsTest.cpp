// The library with an FTDI adapter in bit-bang mode as its port: the data
// register's bytes reach the adapter in order, in as few USB transfers as the
// caller's own pauses allow. What can go wrong is ParallelPortsTest's FailedClaims;
// the flush thread itself, the set-up calls and the pace are proved where the
// real thread runs: the real-kernel tier (tests/kernel) and parllio.dll's test
// (tests/parllio_windows).
#include "FakeAdapters.h"
#include "ParallelPorts.h"
#include "PortBindings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace parllio {
namespace {

using namespace ::testing;
using namespace fakes;

TEST(FtdiPorts, ABurstGoesOutAtAReadAtIdleAndWhenTheLibraryGoesAFullBufferAtOnce) {
    FakeKernel kernel; // no printer ports, no configuration: the one adapter is port 1
    FakeFtdi ftdi;
    PortBindings bindings{kernel, ftdi, {}, TickByHand};
    std::optional<ParallelPorts> ports;
    const std::pair<const char*, std::function<void()>> ends[] = {
        {"control read", [&] { EXPECT_EQ(ports->In(890), 0x2C) << "its last write"; }},
        {"data read", [&] { EXPECT_EQ(ports->In(888), 0x16) << "the last byte written"; }},
        {"idle",
         [&] { // two looks of the flush thread with no write between them
             bindings.Flusher().Tick();
             bindings.Flusher().Tick();
         }},
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
    // More than the buffer holds, with no look between: the full buffer goes out
    // at once, the byte after it when the library goes.
    ports.emplace(kernel, bindings);
    ftdi.transfers.clear();
    Bytes written;
    for (int i = 0; i <= 4096; ++i) {
        written.push_back(static_cast<std::uint8_t>(i * 7));
        ports->Out(888, written.back());
    }
    EXPECT_EQ(ftdi.transfers.size(), 1u);
    ports.reset();
    EXPECT_THAT(ftdi.transfers,
                ElementsAre(Bytes(written.begin(), written.end() - 1), Bytes{written.back()}));
}

} // namespace
} // namespace parllio
