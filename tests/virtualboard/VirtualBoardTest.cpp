// The virtual board driven as the program drives it: whole words through
// SendSerialWord, reset pulses and power bytes on the data register; and its
// chip fed straight from data-register bytes, as a fuzz target or a replay of a
// captured stream drives it, with edges the program itself never makes.
#include "BoardBench.h"
#include "board/BoardActions.h"
#include "support/RecordingPortLibrary.h"
#include "virtualboard/Qv4130Chip.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv4130 {
namespace {

using test::BoardBench;
using test::Lpt1;

// The port answers at its three registers. Nothing answers anywhere else, as on
// a real bench: a write there is dropped (and counted) and a read floats high.
// (Its claim and its base address, as start-up asks for them: run_program.sh.)
TEST(VirtualBoard, OnePlainPrinterPortAtLpt1) {
    struct Case {
        std::int32_t address;
        std::int32_t written;
        std::int32_t read;
        bool reachesChip; // 0x1C takes the chip out of reset, powered down
    };
    const Case cases[] = {
        {888, 0x1C, 0x1C, true},   // data: drives the chip and reads back
        {889, 0x1C, 0x78, false},  // status: read-only, its inputs pulled high
        {890, 0x1E4, 0xE4, false}, // control: holds the low byte written
        {632, 0x1C, 0xFF, false},  // LPT2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        VirtualBoard board;
        board.OutByte(c.address, c.written);
        EXPECT_EQ(board.InByte(c.address), c.read);
        EXPECT_EQ(board.Chip().PoweredDown(), c.reachesChip);
        EXPECT_EQ(board.StrayWrites(), c.read == 0xFF ? 1u : 0u);
    }
}

// Mode 3 is no command, and a word of any length but 18 is malformed: a chip that
// kept the last 18 bits of a long one, or zero-filled a short one, would write 0xFFF.
TEST(VirtualBoard, EachWordChangesItsChannelAsItsModeAndLengthSay) {
    struct Case {
        int start, mode, data, bits, expected;
    };
    const Case cases[] = {
        {2000, 1, 100, 18, 2100},     {2000, 2, 100, 18, 1900},     {4000, 1, 127, 18, 4095},
        {100, 2, 127, 18, 0},         {0x123, 3, 0xFFF, 18, 0x123}, {0x123, 0, 0xFFF, 17, 0x123},
        {0x123, 0, 0xFFF, 19, 0x123},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.start << " mode " << c.mode << " " << c.data << ", "
                                          << c.bits << " bits");
        BoardBench bench;
        bench.Send(0, 9, c.start);
        bench.Send(c.mode, 9, c.data, static_cast<std::int16_t>(c.bits));
        EXPECT_EQ(bench.chip().Code(9), c.expected);
        EXPECT_EQ(bench.chip().MalformedWords(), c.bits == 18 ? 0u : 1u);
    }
}

TEST(VirtualBoard, ResetPulseKeepsPowerDownAndDropsAWordInProgress) {
    BoardBench bench;
    bench.Send(0, 7, 0x0F0);
    bench.board.OutByte(Lpt1, board_byte::PoweredDown);
    PulseReset(bench.board, Lpt1);
    EXPECT_TRUE(bench.chip().PoweredDown());
    EXPECT_EQ(bench.chip().Code(7), 0);
    // Every byte of a word has PD low: one powers the outputs up again.
    bench.Send(0, 7, 0x0F0);
    EXPECT_EQ(bench.chip().Output(7), 0x0F0);

    // Ten bits into a word the reset pulses; the rest follows and SYNC rises.
    const auto writes = test::WordWrites(Lpt1, 0x07FFF);
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (i == 30) {
            PulseReset(bench.board, Lpt1);
        }
        bench.board.OutByte(writes[i].first, writes[i].second);
    }
    EXPECT_EQ(bench.chip().Code(7), 0);
    EXPECT_EQ(bench.chip().WordsApplied(), 2u);
}

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
