// The chip fed straight from data-register bytes, as a fuzz target or a replay
// of a captured stream drives it: edges the program itself never makes.
#include "virtualboard/Qv4130Chip.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv4130 {
namespace {

constexpr std::uint8_t Idle = 0x16; // running, SYNC high, clock high

// `lead`, then a frame of `bits` bits from idle back to idle. A one is set in the
// same write as the clock rises, which the program never does.
std::vector<std::uint8_t> Frame(std::vector<std::uint8_t> lead, int bits, bool ones = false) {
    lead.push_back(0x12);
    for (int i = 0; i < bits; ++i) {
        lead.insert(lead.end(), {0x10, static_cast<std::uint8_t>(ones ? 0x13 : 0x12)});
    }
    lead.push_back(Idle);
    return lead;
}

TEST(Qv4130Chip, BitsAreTakenOnlyOnTheRisingClockInsideAFrame) {
    Qv4130Chip chip(Idle);
    FeedLines(chip, Frame({0x14, 0x16, 0x14, 0x16}, 18));
    EXPECT_EQ(chip.WordsApplied(), 1u);
    FeedLines(chip, Frame({}, 18, true)); // DIN as it stands where the clock rises
    EXPECT_EQ(chip.LastWord()->bits, 0x3FFFFu);
    // The timing view's samples run from the lines before SYNC fell to the write that raised it.
    EXPECT_EQ(chip.LastWord()->lineLevels.front(), Idle);
    EXPECT_EQ(chip.LastWord()->lineLevels.back(), Idle);
    // Reset released with SYNC already low: no frame began, so SYNC rising ends none.
    Qv4130Chip fromReset(0x00);
    FeedLines(fromReset, std::vector<std::uint8_t>{0x10, 0x12, 0x10, 0x12, Idle});
    EXPECT_FALSE(fromReset.LastWord().has_value());
    EXPECT_EQ(fromReset.MalformedWords(), 0u);
}

// The timing view draws from these samples: a runaway frame must not grow them
// without bound, nor mark bits it no longer holds.
TEST(Qv4130Chip, ARunawayFrameKeepsOnlyItsStartForTheTrace) {
    Qv4130Chip chip(Idle);
    FeedLines(chip, Frame({}, 1000));
    const ReceivedWord& word = *chip.LastWord();
    EXPECT_EQ(word.bitCount, 1000u);
    EXPECT_EQ(word.outcome, WordOutcome::Malformed);
    EXPECT_TRUE(word.levelsTruncated);
    EXPECT_EQ(word.lineLevels.size(), Qv4130Chip::MaxLineSamples);
    // Two writes per bit after the two opening samples: bits 0 to 254 fit.
    ASSERT_EQ(word.bitSamples.size(), 255u);
    EXPECT_EQ(word.bitSamples.back(), Qv4130Chip::MaxLineSamples - 1);
}

} // namespace
} // namespace qv4130
