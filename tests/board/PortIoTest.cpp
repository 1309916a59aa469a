#include "board/CommsFunctions.h"
#include "board/PortIo.h"
#include "support/RecordingPortLibrary.h"

#include <gtest/gtest.h>

namespace qv4130 {
namespace {

using testing::In;
using testing::Out;
using testing::PortCall;
using testing::RecordingPortLibrary;

TEST(PortIo, PortInKeepsTheLowEightBits) {
    RecordingPortLibrary port;
    for (auto [raw, expected] : {std::pair{0x1FF, 0xFF}, {0xA5, 0xA5}, {-1, 0xFF}, {0x100, 0}}) {
        port.registers[890] = raw;
        EXPECT_EQ(PortIn(port, 890), expected) << raw;
    }
    EXPECT_EQ(port.calls.back(), In(890));
}

TEST(PortIo, PortOutWidensWithSignAndUsesTheAddressAsAnUnsignedPort) {
    RecordingPortLibrary port;
    PortOut(port, 888, -1);
    PortOut(port, 888, 0x1C);
    PortOut(port, 0xD012, static_cast<std::int16_t>(0x8000));
    EXPECT_EQ(port.calls,
              (std::vector<PortCall>{Out(888, -1), Out(888, 0x1C), Out(0xD012, -32768)}));
}

TEST(PortIo, NoCallEverReachesTheLibraryBelowAddressThree) {
    // With no port found PortAddress is 0: its data register is 0 and its control
    // register 2, both DMA controller registers on a PC.
    RecordingPortLibrary port;
    for (std::uint16_t address : {0, 1, 2}) {
        port.registers[address] = 0x55;
        EXPECT_EQ(PortIn(port, address), 0);
        PortOut(port, address, 0x14);
        SendSerialWord(port, 0x05A00, address, 18);
    }
    SharedState noPort;
    SendChannelCommand(port, noPort);
    EXPECT_TRUE(port.calls.empty());

    PortOut(port, 3, 0x14);
    EXPECT_EQ(port.calls, (std::vector<PortCall>{Out(3, 0x14)}));
}

} // namespace
} // namespace qv4130
