// The virtual board driven as the program drives it: whole words through
// SendSerialWord, reset pulses and power bytes on the data register. (Byte
// streams the program never makes: fuzz/chip_decoder_fuzz.cpp, for crashes; its
// control register, read back by the self-test: InterpreterTest; writes where
// no port is: the panel's count of them.)
#include "BoardBench.h"
#include "board/BoardActions.h"
#include "support/RecordingPortLibrary.h"

#include <gtest/gtest.h>

namespace qv4130 {
namespace {

using test::BoardBench;
using test::Lpt1;

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

} // namespace
} // namespace qv4130
