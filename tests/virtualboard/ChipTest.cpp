// The chip fed straight from data-register bytes, with no port in between:
// the way a fuzz target or a replay of a captured byte stream drives it.
#include "virtualboard/Qv4130Chip.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace qv4130 {
namespace {

constexpr std::uint8_t Idle = 0x16; // running, SYNC high, clock high

// A frame of `bits` clock pulses, all data 0, from idle back to idle.
std::vector<std::uint8_t> ZeroFrame(int bits) {
    std::vector<std::uint8_t> bytes{0x12};
    for (int i = 0; i < bits; ++i) {
        bytes.push_back(0x10);
        bytes.push_back(0x12);
    }
    bytes.push_back(Idle);
    return bytes;
}

TEST(Qv4130Chip, UnwiredBitsFiveToSevenChangeNothing) {
    Qv4130Chip chip(Idle);
    EXPECT_FALSE(chip.ApplyLines(Idle | 0xE0));
    EXPECT_EQ(chip.Lines(), Idle);
    // Nor do they hide a real edge: SYNC falls here whatever bits 5-7 say.
    FeedLines(chip, std::vector<std::uint8_t>{0xF2});
    EXPECT_TRUE(chip.FrameInProgress());
}

TEST(Qv4130Chip, ClockEdgesOutsideAFrameAreNotBits) {
    Qv4130Chip chip(Idle);
    // Clock toggling with SYNC high, then a frame of 18 edges: only those count.
    std::vector<std::uint8_t> bytes{0x14, 0x16, 0x14, 0x16};
    const auto frame = ZeroFrame(18);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    FeedLines(chip, bytes);
    ASSERT_TRUE(chip.LastWord().has_value());
    EXPECT_EQ(chip.LastWord()->bitCount, 18u);
    EXPECT_EQ(chip.WordsApplied(), 1u);
}

TEST(Qv4130Chip, ARisingSyncWithNoFrameStartedIsNotAWord) {
    // Reset released with SYNC already low: no falling edge was seen, so the
    // rising one that follows ends nothing.
    Qv4130Chip chip(0x00);
    FeedLines(chip, std::vector<std::uint8_t>{0x10, 0x12, 0x10, 0x12, Idle});
    EXPECT_FALSE(chip.LastWord().has_value());
    EXPECT_EQ(chip.MalformedWords(), 0u);
}

TEST(Qv4130Chip, ARunawayFrameKeepsOnlyItsStartForTheTrace) {
    Qv4130Chip chip(Idle);
    FeedLines(chip, ZeroFrame(1000));
    ASSERT_TRUE(chip.LastWord().has_value());
    const ReceivedWord& word = *chip.LastWord();
    EXPECT_EQ(word.bitCount, 1000u);
    EXPECT_EQ(word.outcome, WordOutcome::Malformed);
    EXPECT_TRUE(word.levelsTruncated);
    EXPECT_EQ(word.lineLevels.size(), Qv4130Chip::MaxLineSamples);
    ASSERT_FALSE(word.bitSamples.empty());
    EXPECT_LT(word.bitSamples.back(), word.lineLevels.size());
}

// Arbitrary byte streams, as a fuzzer would send: whatever comes, codes stay
// 12-bit, outputs follow power-down and the counts account for every frame.
TEST(Qv4130Chip, ArbitraryByteStreamsKeepTheChipConsistent) {
    std::mt19937 random(4130);
    std::uniform_int_distribution<int> anyByte(0, 255);
    // Mostly bytes that keep the chip running, so frames actually happen.
    std::uniform_int_distribution<int> percent(0, 99);
    for (int stream = 0; stream < 200; ++stream) {
        Qv4130Chip chip(static_cast<std::uint8_t>(anyByte(random)));
        std::uint64_t framesEnded = 0;
        for (int i = 0; i < 2000; ++i) {
            auto byte = static_cast<std::uint8_t>(anyByte(random));
            if (percent(random) < 97) {
                byte = static_cast<std::uint8_t>((byte | 0x10) & ~0x08);
            }
            const bool wasInFrame = chip.FrameInProgress();
            chip.ApplyLines(byte);
            if (wasInFrame && !chip.FrameInProgress() && !chip.HeldInReset() &&
                (byte & 0x04) != 0) {
                ++framesEnded;
            }
            for (int channel = 0; channel < ChannelCount; ++channel) {
                ASSERT_LE(chip.Code(channel), FullScaleCode);
                ASSERT_EQ(chip.Output(channel), chip.PoweredDown() ? 0 : chip.Code(channel));
            }
        }
        EXPECT_EQ(chip.WordsApplied() + chip.WordsIgnored() + chip.MalformedWords(), framesEnded)
            << "stream " << stream;
    }
}

} // namespace
} // namespace qv4130
