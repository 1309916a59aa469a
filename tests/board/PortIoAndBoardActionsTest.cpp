#include "board/CommsFunctions.h"
#include "board/PortIo.h"
#include "support/RecordingPortLibrary.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace qv4130 {
namespace {

using namespace test;
using Calls = std::vector<PortCall>;

TEST(PortIo, KeepsTheLowByteWidensWithSignAndNeverTouchesAddressesBelowThree) {
    RecordingPortLibrary port;
    port.registers = {{890, 0x1FF}, {2, 0x55}};
    EXPECT_EQ(PortIn(port, 890), 0xFF);
    PortOut(port, 0xD012, static_cast<std::int16_t>(0x8000)); // sign-extended, as is the value
    // With no port found PortAddress is 0: its data register is 0 and its control
    // register 2, both DMA controller registers on a PC.
    SharedState noPort;
    EXPECT_EQ(PortIn(port, 2), 0);
    PortOut(port, 1, 0x14);
    SendChannelCommand(port, noPort);
    MaskControlRegister(port, noPort.PortAddress, 0xD4);
    EXPECT_EQ(port.calls, (Calls{In(890), Out(-12270, -32768)}));
}

TEST(SerialWord, ChannelCommandSendsTheComposedWordToTheSelectedPort) {
    RecordingPortLibrary port;
    SharedState state{.PortAddress = 888, .SelectedChannel = 5, .DataValue = 0xA00};
    SendChannelCommand(port, state);
    EXPECT_EQ(state.SerialWord, 0x05A00);
    EXPECT_EQ(port.Take(), WordWrites(888, 0x05A00));

    state = {.PortAddress = 0xD010, .FrameMode = 2, .SelectedChannel = 15, .DataValue = 127};
    SendChannelCommand(port, state);
    EXPECT_EQ(port.Take(), WordWrites(-12272, 0x2F07F));
    // Keeping DataValue in range is its producer's duty: an oversized code spills over.
    EXPECT_EQ(ComposeSerialWord(0, 1, -1), 0x00FFF);
    EXPECT_THROW(SendSerialWord(port, 1, 888, 32), std::invalid_argument);
    EXPECT_TRUE(port.calls.empty()) << "refused before any write";
}

} // namespace
} // namespace qv4130
