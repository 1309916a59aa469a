// The virtual board driven as the program drives it: whole words through
// SendSerialWord, reset pulses and power bytes on the data register. (Byte
// streams the program never makes: fuzz/chip_decoder_fuzz.cpp, for crashes; its
// control register, read back by the self-test: InterpreterTest; writes where
// no port is: the panel's count of them.)
#include "BoardBench.h"
#include "board/BoardActions.h"

#include <gtest/gtest.h>

namespace qv4130 {
namespace {

using test::BoardBench;
using test::Lpt1;

// Steps stop at the ends of the range, as the chip's do, and mode 3 is no command.
// (Words of another length than 18 bits, which the program never sends: the
// panel's count of malformed words.)
TEST(VirtualBoard, EachWordChangesItsChannelAsItsModeSays) {
    struct Case {
        int start, mode, data, expected;
    };
    const Case cases[] = {
        {2000, 1, 100, 2100}, {2000, 2, 100, 1900},     {4000, 1, 127, 4095},
        {100, 2, 127, 0},     {0x123, 3, 0xFFF, 0x123},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.start << " mode " << c.mode << " " << c.data);
        BoardBench bench;
        bench.Send(0, 9, c.start);
        bench.Send(c.mode, 9, c.data);
        EXPECT_EQ(bench.chip().Code(9), c.expected);
    }
}

// The Reset button while the chip is powered down: every code back to 0, the
// outputs still off until a word comes.
TEST(VirtualBoard, ResetPulseKeepsPowerDown) {
    BoardBench bench;
    bench.Send(0, 7, 0x0F0);
    bench.board.OutByte(Lpt1, board_byte::PoweredDown);
    PulseReset(bench.board, Lpt1);
    EXPECT_TRUE(bench.chip().PoweredDown());
    EXPECT_EQ(bench.chip().Code(7), 0);
    // Every byte of a word has PD low: one powers the outputs up again.
    bench.Send(0, 7, 0x0F0);
    EXPECT_EQ(bench.chip().Output(7), 0x0F0);
}

} // namespace
} // namespace qv4130
