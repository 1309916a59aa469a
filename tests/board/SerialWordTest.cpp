#include "board/CommsFunctions.h"
#include "support/RecordingPortLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace qv4130 {
namespace {

using testing::Out;
using testing::PortCall;
using testing::RecordingPortLibrary;
using testing::WordWrites;

TEST(SerialWord, WorkedExampleChannel5CodeA00WritesFiftyFiveBytes) {
    RecordingPortLibrary port;
    SharedState state;
    state.PortAddress = 888;
    state.FrameMode = 0;
    state.SelectedChannel = 5;
    state.DataValue = 0xA00;

    SendChannelCommand(port, state);

    EXPECT_EQ(state.SerialWord, 0x05A00);
    // Bits 17..0 of 0x05A00: only 14, 12, 11 and 9 are set.
    const int ones[] = {14, 12, 11, 9};
    std::vector<PortCall> expected;
    for (int k = 17; k >= 0; --k) {
        const bool one = std::find(std::begin(ones), std::end(ones), k) != std::end(ones);
        expected.push_back(Out(888, 0x12));
        expected.push_back(Out(888, one ? 0x11 : 0x10));
        expected.push_back(Out(888, one ? 0x13 : 0x12));
    }
    expected.push_back(Out(888, 0x16));
    ASSERT_EQ(port.calls.size(), 55u);
    EXPECT_EQ(port.calls, expected);
    // The opening of the worked example, byte for byte.
    const std::vector<int> opening = {0x12, 0x10, 0x12, 0x12, 0x10, 0x12, 0x12, 0x10, 0x12, 0x12, 0x11, 0x13};
    for (size_t i = 0; i < opening.size(); ++i) {
        EXPECT_EQ(port.calls[i].second, opening[i]) << "write " << i;
    }
}

TEST(SerialWord, ZeroOrNegativeBitCountWritesOnlyTheClosingByte) {
    for (std::int16_t bits : {std::int16_t{0}, std::int16_t{-1}, std::int16_t{-32768}}) {
        RecordingPortLibrary port;
        SendSerialWord(port, 0x3FFFF, 888, bits);
        EXPECT_EQ(port.calls, (std::vector<PortCall>{Out(888, 0x16)})) << "bits " << bits;
    }
}

TEST(SerialWord, MoreThanThirtyOneBitsIsRefusedBeforeAnyWrite) {
    RecordingPortLibrary port;
    EXPECT_THROW(SendSerialWord(port, 1, 888, 32), std::invalid_argument);
    EXPECT_TRUE(port.calls.empty());
    // 31 bits is the most that can be sent.
    SendSerialWord(port, 0x40000000, 888, 31);
    EXPECT_EQ(port.calls, WordWrites(888, 0x40000000, 31));
}

TEST(SerialWord, AllZeroWordAlternatesClockWithDataLow) {
    RecordingPortLibrary port;
    SendSerialWord(port, 0, 888, 18);
    ASSERT_EQ(port.calls.size(), 55u);
    for (size_t i = 0; i < 54; ++i) {
        EXPECT_EQ(port.calls[i], Out(888, i % 3 == 1 ? 0x10 : 0x12)) << "write " << i;
    }
    EXPECT_EQ(port.calls.back(), Out(888, 0x16));
}

TEST(SerialWord, BitsAboveTheCountAreNeverLookedAt) {
    RecordingPortLibrary withHighBits;
    RecordingPortLibrary without;
    SendSerialWord(withHighBits, 0x7FFC0000 | 0x2A5, 888, 18);
    SendSerialWord(without, 0x2A5, 888, 18);
    EXPECT_EQ(withHighBits.calls, without.calls);
}

TEST(SerialWord, EveryByteOfAWordKeepsTheChipRunningAndPoweredUp) {
    RecordingPortLibrary port;
    SendSerialWord(port, 0x2F07F, 888, 18);
    for (const PortCall& call : port.calls) {
        EXPECT_EQ(call.second & 0x10, 0x10) << "RESET must stay high";
        EXPECT_EQ(call.second & 0x08, 0) << "PD must stay low";
        EXPECT_EQ(call.second & 0xE0, 0) << "unused bits stay 0";
    }
}

struct ComposeCase {
    std::int16_t mode, channel, data;
    std::int32_t word;
};

TEST(SerialWord, ComposesModeChannelAndData) {
    const ComposeCase cases[] = {
        {0, 5, 0xA00, 0x05A00}, {0, 0, 0, 0},           {1, 15, 127, 0x1F07F},
        {2, 15, 127, 0x2F07F},  {0, 15, 4095, 0x0FFFF}, {0, 3, 3072, 0x03C00},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ComposeSerialWord(c.mode, c.channel, c.data), c.word)
            << c.mode << "/" << c.channel << "/" << c.data;
    }
    // Mode 2, channel 15, step 127: bit 17 set, 16 clear, 15-12 set, 11-7 clear, 6-0 set.
    const std::int32_t word = ComposeSerialWord(2, 15, 127);
    EXPECT_EQ(word >> 16, 2);
    EXPECT_EQ((word >> 12) & 0xF, 0xF);
    EXPECT_EQ((word >> 7) & 0x1F, 0);
    EXPECT_EQ(word & 0x7F, 0x7F);
}

TEST(SerialWord, FieldsAreNotMaskedSoAnOversizedCodeSpillsIntoTheChannel) {
    // Keeping DataValue in range is its producer's duty; the word just adds.
    EXPECT_EQ(ComposeSerialWord(0, 0, 4096), 0x01000);
    EXPECT_EQ(ComposeSerialWord(0, 1, -1), 0x00FFF);
}

TEST(SerialWord, ChannelCommandGoesToTheSelectedPort) {
    RecordingPortLibrary port;
    SharedState state;
    state.PortAddress = 0xD010;
    state.FrameMode = 2;
    state.SelectedChannel = 15;
    state.DataValue = 127;
    SendChannelCommand(port, state);
    EXPECT_EQ(port.calls, WordWrites(0xD010, 0x2F07F));
}

} // namespace
} // namespace qv4130
