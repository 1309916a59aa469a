#include "board/CommsFunctions.h"
#include "board/PortIo.h"
#include "support/RecordingPortLibrary.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

namespace qv4130 {
namespace {

using testing::Out;
using testing::PortCall;
using testing::RecordingPortLibrary;
using testing::WordWrites;
using Calls = std::vector<PortCall>;

Calls Writes(std::uint16_t address, std::initializer_list<int> bytes) {
    Calls calls;
    for (const int byte : bytes) {
        calls.push_back(Out(address, byte));
    }
    return calls;
}

TEST(PortIo, PortInKeepsTheLowEightBitsAndPortOutWidensWithSign) {
    RecordingPortLibrary port;
    for (auto [raw, expected] : {std::pair{0x1FF, 0xFF}, {0xA5, 0xA5}, {-1, 0xFF}, {0x100, 0}}) {
        port.registers[890] = raw;
        EXPECT_EQ(PortIn(port, 890), expected) << raw;
    }
    port.calls.clear();
    PortOut(port, 888, -1);
    PortOut(port, 0xD012, static_cast<std::int16_t>(0x8000)); // the address stays unsigned
    EXPECT_EQ(port.calls, (Calls{Out(888, -1), Out(0xD012, -32768)}));
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
}

TEST(SerialWord, ChannelCommandSendsTheComposedWordToTheSelectedPort) {
    RecordingPortLibrary port;
    SharedState state;
    state.PortAddress = 888;
    state.SelectedChannel = 5;
    state.DataValue = 0xA00;
    SendChannelCommand(port, state);
    EXPECT_EQ(state.SerialWord, 0x05A00);
    // 00 0101 1010 0000 0000, byte for byte.
    EXPECT_EQ(port.Take(),
              Writes(888, {0x12, 0x10, 0x12, 0x12, 0x10, 0x12, 0x12, 0x10, 0x12, 0x12, 0x11,
                           0x13, 0x12, 0x10, 0x12, 0x12, 0x11, 0x13, 0x12, 0x11, 0x13, 0x12,
                           0x10, 0x12, 0x12, 0x11, 0x13, 0x12, 0x10, 0x12, 0x12, 0x10, 0x12,
                           0x12, 0x10, 0x12, 0x12, 0x10, 0x12, 0x12, 0x10, 0x12, 0x12, 0x10,
                           0x12, 0x12, 0x10, 0x12, 0x12, 0x10, 0x12, 0x12, 0x10, 0x12, 0x16}));

    state.PortAddress = 0xD010;
    state.FrameMode = 2;
    state.SelectedChannel = 15;
    state.DataValue = 127;
    SendChannelCommand(port, state);
    EXPECT_EQ(port.calls, WordWrites(0xD010, 0x2F07F));
}

TEST(SerialWord, SendsOnlyTheCountedBitsAndKeepsTheChipRunning) {
    const std::tuple<std::int32_t, std::int16_t, Calls> cases[] = {
        {0x3FFFF, 0, Writes(888, {0x16})}, // only the closing byte
        {0x3FFFF, -1, Writes(888, {0x16})},
        {0, 18, WordWrites(888, 0)},
        {0x7FFC02A5, 18, WordWrites(888, 0x2A5)}, // bits above the count are never looked at
        {0x40000000, 31, WordWrites(888, 0x40000000, 31)},
    };
    for (const auto& [value, bits, writes] : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << value << " bits " << std::dec << bits);
        RecordingPortLibrary port;
        SendSerialWord(port, value, 888, bits);
        EXPECT_EQ(port.calls, writes);
        for (const PortCall& call : port.calls) {
            EXPECT_EQ(call.second & 0xF8, 0x10) << "RESET high, PD low, the unused bits 0";
        }
    }
    RecordingPortLibrary port;
    EXPECT_THROW(SendSerialWord(port, 1, 888, 32), std::invalid_argument);
    EXPECT_TRUE(port.calls.empty()) << "refused before any write";
}

TEST(SerialWord, ComposesModeChannelAndDataWithoutMaskingThem) {
    const std::tuple<std::int16_t, std::int16_t, std::int16_t, std::int32_t> cases[] = {
        {0, 5, 0xA00, 0x05A00},
        {0, 0, 0, 0},
        {1, 15, 127, 0x1F07F},
        {2, 15, 127, 0x2F07F},
        {0, 15, 4095, 0x0FFFF},
        {0, 3, 3072, 0x03C00},
        // Keeping DataValue in range is its producer's duty: an oversized code spills over.
        {0, 0, 4096, 0x01000},
        {0, 1, -1, 0x00FFF},
    };
    for (const auto& [mode, channel, data, word] : cases) {
        EXPECT_EQ(ComposeSerialWord(mode, channel, data), word)
            << mode << "/" << channel << "/" << data;
    }
}

} // namespace
} // namespace qv4130
