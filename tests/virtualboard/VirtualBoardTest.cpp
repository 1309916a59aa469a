// The virtual board driven as the program drives it: whole words through
// SendSerialWord, reset pulses and power bytes on the data register.
#include "BoardBench.h"
#include "board/PortIo.h"
#include "support/RecordingPortLibrary.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv4130 {
namespace {

using testing::BoardBench;
using testing::Lpt1;

// The main window's reset pulse: read the data register, drop RESET, raise it again.
void ResetPulse(VirtualBoard& board) {
    const std::int16_t v = PortIn(board, Lpt1);
    PortOut(board, Lpt1, static_cast<std::int16_t>(v & 0xEF));
    PortOut(board, Lpt1, static_cast<std::int16_t>(v | 0x10));
}

TEST(VirtualBoard, RoundTripGivesBackEveryWordSent) {
    BoardBench bench;
    for (int mode = 0; mode <= 3; ++mode) {
        for (int channel = 0; channel < ChannelCount; ++channel) {
            for (int data : {0x000, 0x001, 0x07F, 0x555, 0xAAA, 0x800, 0xFFF}) {
                SCOPED_TRACE(::testing::Message() << mode << '/' << channel << '/' << data);
                bench.Send(mode, channel, data);
                const auto& word = bench.chip().LastWord();
                ASSERT_TRUE(word.has_value());
                EXPECT_EQ(word->bits,
                          static_cast<std::uint64_t>(mode * 65536 + channel * 4096 + data));
                EXPECT_EQ(word->outcome, mode == 3 ? WordOutcome::Ignored : WordOutcome::Applied);
                EXPECT_TRUE(mode != 0 || bench.chip().Code(channel) == data);
            }
        }
    }
    EXPECT_EQ(bench.chip().WordsApplied(), 3u * 16 * 7);
    EXPECT_EQ(bench.chip().MalformedWords(), 0u);
}

// Mode 3 is no command, and a word of any length but 18 is malformed: a chip that
// kept the last 18 bits of a long one, or zero-filled a short one, would write 0xFFF.
TEST(VirtualBoard, EachWordChangesItsChannelAsItsModeAndLengthSay) {
    struct Case {
        int start, mode, data, bits, expected;
    };
    const Case cases[] = {
        {2000, 1, 100, 18, 2100},     {2000, 2, 100, 18, 1900},     {4000, 1, 127, 18, 4095},
        {4095, 1, 1, 18, 4095},       {100, 2, 127, 18, 0},         {0, 2, 1, 18, 0},
        {0, 1, 4095, 18, 4095},       {4095, 2, 4095, 18, 0},       {3072, 1, 0, 18, 3072},
        {0x123, 3, 0xFFF, 18, 0x123}, {0x123, 0, 0xFFF, 17, 0x123}, {0x123, 0, 0xFFF, 19, 0x123},
        {0x123, 0, 0xFFF, 31, 0x123},
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
    // Powered down, the pulse is 0x0C then 0x1C: PD stays high.
    bench.board.OutByte(Lpt1, board_byte::PoweredDown);
    ResetPulse(bench.board);
    EXPECT_TRUE(bench.chip().PoweredDown());
    EXPECT_EQ(bench.chip().Code(7), 0);
    // Every byte of a word has PD low: one powers the outputs up again.
    bench.Send(0, 7, 0x0F0);
    EXPECT_EQ(bench.chip().Output(7), 0x0F0);

    // Ten bits into a word the reset pulses; the rest follows and SYNC rises.
    const auto writes = testing::WordWrites(Lpt1, 0x07FFF);
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (i == 30) {
            ResetPulse(bench.board);
        }
        bench.board.OutByte(writes[i].first, writes[i].second);
    }
    EXPECT_EQ(bench.chip().Code(7), 0);
    EXPECT_EQ(bench.chip().WordsApplied(), 2u);
    EXPECT_EQ(bench.chip().MalformedWords(), 0u);
}

TEST(VirtualBoard, WritesWhereNoPortAnswersNeverReachTheChip) {
    for (const std::int32_t address : {632, 956, 887, 891, 0x778, 3}) {
        SCOPED_TRACE(address);
        BoardBench bench;
        SendSerialWord(bench.board, 0x01FFF, static_cast<std::uint16_t>(address), 18);
        EXPECT_FALSE(bench.chip().LastWord().has_value());
        EXPECT_EQ(bench.board.DataRegister(), board_byte::PoweredUp);
        EXPECT_EQ(bench.board.StrayWrites(), 55u);
        EXPECT_EQ(bench.board.InByte(address), 0xFF);
    }
}

TEST(VirtualBoard, LooksLikeOnePlainPrinterPortAtLpt1) {
    VirtualBoard board;
    EXPECT_EQ(board.GetParallelPortCount(), 1);
    EXPECT_EQ(board.ClaimParallelPort(2, -1), 0);
    EXPECT_NE(board.ClaimParallelPort(1, -1), 0);
    ParallelPortInfo info{12, 0, 0};
    EXPECT_NE(board.GetParallelPortInfo(1, &info), 0);
    EXPECT_EQ(info.base_address, 888);
    EXPECT_EQ(board.GetParallelPortInfo(1, nullptr), 0);

    board.OutByte(Lpt1 + 2, 0x1E4); // only the low byte reaches a register
    EXPECT_EQ(board.InByte(Lpt1 + 2), 0xE4);
}

// The timing view's data: the byte before SYNC fell, then one per write; each
// bit is taken on the third write of its three, where the clock rises.
TEST(VirtualBoard, TraceHoldsEveryByteOfTheWordAndWhereEachBitWasTaken) {
    BoardBench bench;
    bench.Send(0, 5, 0xA00);
    const ReceivedWord& word = *bench.chip().LastWord();
    std::vector<std::uint8_t> levels{board_byte::PoweredUp};
    for (const auto& write : testing::WordWrites(Lpt1, 0x05A00)) {
        levels.push_back(static_cast<std::uint8_t>(write.second));
    }
    EXPECT_EQ(word.lineLevels, levels);
    ASSERT_EQ(word.bitSamples.size(), 18u);
    EXPECT_EQ(word.bitSamples.front(), 3u);
    EXPECT_EQ(word.bitSamples.back(), 54u);
}

} // namespace
} // namespace qv4130
