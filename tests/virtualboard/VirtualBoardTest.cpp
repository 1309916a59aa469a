#include "virtualboard/VirtualBoard.h"

#include "board/CommsFunctions.h"
#include "board/PortIo.h"
#include "support/RecordingPortLibrary.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv4130 {
namespace {

constexpr std::uint16_t Lpt1 = 888;
constexpr std::uint16_t Lpt2 = 632;
constexpr std::uint16_t Prn = 956;

// The board as the main window leaves it after loading: running, powered up, idle.
struct Bench {
    Bench() { board.OutByte(Lpt1, board_byte::PoweredUp); }

    void Send(int mode, int channel, int data, std::int16_t bits = SerialWordBits) {
        SendWord(ComposeSerialWord(static_cast<std::int16_t>(mode),
                                   static_cast<std::int16_t>(channel),
                                   static_cast<std::int16_t>(data)),
                 bits);
    }
    void SendWord(std::int32_t word, std::int16_t bits = SerialWordBits) {
        SendSerialWord(board, word, Lpt1, bits);
    }
    // The main window's reset pulse: read the data register, drop RESET, raise it again.
    void ResetPulse() {
        const std::int16_t v = PortIn(board, Lpt1);
        PortOut(board, Lpt1, static_cast<std::int16_t>(v & 0xEF));
        PortOut(board, Lpt1, static_cast<std::int16_t>(v | 0x10));
    }
    const Qv4130Chip& chip() const { return board.Chip(); }

    VirtualBoard board;
};

TEST(VirtualBoard, RoundTripGivesBackEveryWordSent) {
    Bench bench;
    for (int mode = 0; mode <= 3; ++mode) {
        for (int channel = 0; channel < ChannelCount; ++channel) {
            for (int data : {0x000, 0x001, 0x07F, 0x555, 0xAAA, 0x800, 0xFFF}) {
                SCOPED_TRACE(::testing::Message()
                             << "mode " << mode << " channel " << channel << " data " << data);
                bench.Send(mode, channel, data);
                const auto& word = bench.chip().LastWord();
                ASSERT_TRUE(word.has_value());
                EXPECT_EQ(word->bitCount, 18u);
                EXPECT_EQ(word->bits,
                          static_cast<std::uint64_t>(mode * 65536 + channel * 4096 + data));
                EXPECT_EQ(word->Mode(), mode);
                EXPECT_EQ(word->Channel(), channel);
                EXPECT_EQ(word->Data(), data);
                EXPECT_EQ(word->outcome, mode == 3 ? WordOutcome::Ignored : WordOutcome::Applied);
                if (mode == 0) {
                    EXPECT_EQ(bench.chip().Code(channel), data);
                }
            }
        }
    }
    EXPECT_EQ(bench.chip().WordsApplied(), 3u * 16 * 7);
    EXPECT_EQ(bench.chip().WordsIgnored(), 16u * 7);
    EXPECT_EQ(bench.chip().MalformedWords(), 0u);
}

// Whatever the data register held before, the word's first byte (0x12) starts a
// clean frame: from 0x14 and 0x1C the clock rises in that same write, and from
// the start-up byte 0x06 the reset is released in it.
TEST(VirtualBoard, AWordIsTakenWhateverTheRegisterHeldBefore) {
    for (const std::int16_t before : {board_byte::PoweredUp, board_byte::PoweredDown,
                                      board_byte::HeldInReset, board_byte::EndOfWord}) {
        SCOPED_TRACE(::testing::Message() << "before 0x" << std::hex << before);
        VirtualBoard board;
        board.OutByte(Lpt1, before);
        EXPECT_EQ(board.Chip().HeldInReset(), before == board_byte::HeldInReset);
        EXPECT_EQ(board.Chip().PoweredDown(), before == board_byte::PoweredDown);
        SendSerialWord(board, 0x0ABCD, Lpt1, SerialWordBits);
        EXPECT_EQ(board.Chip().WordsApplied(), 1u);
        EXPECT_EQ(board.Chip().Code(0xA), 0xBCD);
        EXPECT_FALSE(board.Chip().HeldInReset());
        EXPECT_FALSE(board.Chip().PoweredDown());
    }
}

// Mode 3 is no command: the chip leaves the channel alone.
TEST(VirtualBoard, IncrementAndDecrementSaturateAndModeThreeChangesNothing) {
    struct Case {
        int start;
        int mode;
        int step;
        int expected;
    };
    const Case cases[] = {
        {2000, 1, 100, 2100},     {2000, 2, 100, 1900}, {4000, 1, 127, 4095},
        {4095, 1, 1, 4095},       {100, 2, 127, 0},     {0, 2, 1, 0},
        {0, 1, 4095, 4095},       {4095, 2, 4095, 0},   {3072, 1, 0, 3072},
        {0x123, 3, 0xFFF, 0x123},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.start << " mode " << c.mode << " " << c.step);
        Bench bench;
        bench.Send(0, 9, c.start);
        bench.Send(c.mode, 9, c.step);
        EXPECT_EQ(bench.chip().Code(9), c.expected);
    }
}

TEST(VirtualBoard, WordsOfAnyOtherLengthAreMalformedAndIgnored) {
    for (const std::int16_t bits : {1, 16, 17, 19, 31}) {
        SCOPED_TRACE(::testing::Message() << bits << " bits");
        Bench bench;
        bench.Send(0, 2, 0x111);
        // Any value: 17 bits of 0x04FFF would write 0xFFF to channel 2 if taken as a word.
        bench.SendWord(0x04FFF, bits);
        EXPECT_EQ(bench.chip().MalformedWords(), 1u);
        EXPECT_EQ(bench.chip().WordsApplied(), 1u);
        EXPECT_EQ(bench.chip().LastWord()->bitCount, static_cast<std::uint64_t>(bits));
        EXPECT_EQ(bench.chip().LastWord()->outcome, WordOutcome::Malformed);
        for (int channel = 0; channel < ChannelCount; ++channel) {
            EXPECT_EQ(bench.chip().Code(channel), channel == 2 ? 0x111 : 0)
                << "channel " << channel;
        }
    }
}

TEST(VirtualBoard, ResetPulseClearsEveryChannelAfterASweep) {
    Bench bench;
    for (int channel = 0; channel < ChannelCount; ++channel) {
        bench.Send(0, channel, 3072);
    }
    ASSERT_EQ(bench.chip().Code(15), 3072);
    bench.ResetPulse();
    for (int channel = 0; channel < ChannelCount; ++channel) {
        EXPECT_EQ(bench.chip().Code(channel), 0) << "channel " << channel;
    }
    EXPECT_FALSE(bench.chip().HeldInReset());
    EXPECT_EQ(bench.board.DataRegister(), board_byte::EndOfWord);
}

TEST(VirtualBoard, ResetDropsAWordInProgress) {
    Bench bench;
    bench.Send(0, 7, 0x0F0);
    testing::RecordingPortLibrary recorder;
    SendSerialWord(recorder, ComposeSerialWord(0, 7, 0xFFF), Lpt1, SerialWordBits);
    const auto writes = recorder.Writes();
    // Ten bits in, reset pulses; the rest of the word follows, SYNC rises.
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (i == 30) {
            bench.ResetPulse();
        }
        bench.board.OutByte(writes[i].first, writes[i].second);
    }
    EXPECT_EQ(bench.chip().Code(7), 0);
    EXPECT_EQ(bench.chip().WordsApplied(), 1u);
    EXPECT_EQ(bench.chip().MalformedWords(), 0u);
    EXPECT_EQ(bench.chip().LastWord()->Data(), 0x0F0); // still the word before
    // The next whole word goes in cleanly.
    bench.Send(0, 7, 0xFFF);
    EXPECT_EQ(bench.chip().Code(7), 0xFFF);
}

TEST(VirtualBoard, PowerDownHoldsOutputsAtZeroAndKeepsCodes) {
    Bench bench;
    bench.Send(0, 3, 0x800);
    bench.board.OutByte(Lpt1, board_byte::PoweredDown);
    EXPECT_TRUE(bench.chip().PoweredDown());
    EXPECT_EQ(bench.chip().Code(3), 0x800);
    EXPECT_EQ(bench.chip().Output(3), 0);
    // A reset pulse while powered down keeps PD high (0x0C then 0x1C).
    bench.ResetPulse();
    EXPECT_TRUE(bench.chip().PoweredDown());
    bench.Send(0, 3, 0x800);
    // Every byte of a word has PD low: sending one powers the outputs up again.
    bench.board.OutByte(Lpt1, board_byte::PoweredDown);
    bench.Send(1, 3, 1);
    EXPECT_FALSE(bench.chip().PoweredDown());
    EXPECT_EQ(bench.chip().Output(3), 0x801);
    bench.board.OutByte(Lpt1, board_byte::PoweredUp);
    EXPECT_EQ(bench.chip().Output(3), 0x801);
}

TEST(VirtualBoard, WritesWhereNoPortAnswersNeverReachTheChip) {
    for (const std::int32_t address : {std::int32_t{Lpt2}, std::int32_t{Prn}, 887, 891, 0x778, 3}) {
        SCOPED_TRACE(::testing::Message() << "address " << address);
        Bench bench;
        SendSerialWord(bench.board, ComposeSerialWord(0, 1, 0xFFF),
                       static_cast<std::uint16_t>(address), 18);
        EXPECT_EQ(bench.chip().Code(1), 0);
        EXPECT_FALSE(bench.chip().LastWord().has_value());
        EXPECT_EQ(bench.board.DataRegister(), board_byte::PoweredUp);
        EXPECT_EQ(bench.board.StrayWrites(), 55u);
        EXPECT_EQ(bench.board.LastStrayAddress(), address);
        EXPECT_EQ(bench.board.InByte(address), 0xFF);
    }
}

TEST(VirtualBoard, RegistersReadAsAPlainPrinterPort) {
    VirtualBoard board;
    board.OutByte(Lpt1, -1); // sign-extended 0xFF: only the low byte lands
    EXPECT_EQ(board.InByte(Lpt1), 0xFF);
    board.OutByte(Lpt1, 0x114);
    EXPECT_EQ(board.InByte(Lpt1), 0x14);
    board.OutByte(Lpt1 + 2, 0xE4);
    EXPECT_EQ(board.InByte(Lpt1 + 2), 0xE4);
    board.OutByte(Lpt1 + 1, 0x00); // status is read-only
    EXPECT_EQ(board.InByte(Lpt1 + 1), VirtualBoard::IdleStatus);
    EXPECT_EQ(board.StrayWrites(), 0u);
}

TEST(VirtualBoard, OffersOnePortAtLpt1) {
    VirtualBoard board;
    EXPECT_EQ(board.GetParallelPortCount(), 1);
    EXPECT_EQ(board.ClaimParallelPort(2, -1), 0);
    EXPECT_FALSE(board.Claimed());
    EXPECT_NE(board.ClaimParallelPort(1, -1) & 0xFFFF, 0);
    EXPECT_TRUE(board.Claimed());

    ParallelPortInfo info{12, 0, 0};
    EXPECT_NE(board.GetParallelPortInfo(1, &info) & 0xFFFF, 0);
    EXPECT_EQ(info.base_address, 888);
    ParallelPortInfo other{12, 0, 0};
    EXPECT_EQ(board.GetParallelPortInfo(2, &other), 0);
    EXPECT_EQ(other.base_address, 0);
    EXPECT_EQ(board.GetParallelPortInfo(1, nullptr), 0);
}

TEST(VirtualBoard, TraceHoldsEveryByteOfTheWordAndWhereEachBitWasTaken) {
    Bench bench;
    const std::int32_t word = 0x05A00;
    bench.SendWord(word);
    testing::RecordingPortLibrary recorder;
    SendSerialWord(recorder, word, Lpt1, SerialWordBits);

    std::vector<std::uint8_t> expected{static_cast<std::uint8_t>(board_byte::PoweredUp)};
    for (const auto& write : recorder.Writes()) {
        expected.push_back(static_cast<std::uint8_t>(write.second));
    }
    const ReceivedWord& received = *bench.chip().LastWord();
    EXPECT_EQ(received.lineLevels, expected);
    EXPECT_FALSE(received.levelsTruncated);
    ASSERT_EQ(received.bitSamples.size(), 18u);
    for (std::size_t k = 0; k < 18; ++k) {
        const std::uint8_t levels = received.lineLevels.at(received.bitSamples[k]);
        EXPECT_NE(levels & line::Sclk, 0) << "bit " << k;
        EXPECT_EQ(levels & line::Din, (word >> (17 - k)) & 1) << "bit " << k;
    }
}

struct CountingObserver final : VirtualBoardObserver {
    void BoardChanged() override { ++calls; }
    int calls = 0;
};

TEST(VirtualBoard, ObserversHearOfChangesOnly) {
    VirtualBoard board;
    CountingObserver observer;
    board.AddObserver(observer);
    board.AddObserver(observer); // once is enough

    board.OutByte(Lpt1, board_byte::PoweredUp);
    EXPECT_EQ(observer.calls, 1);
    board.OutByte(Lpt1, board_byte::PoweredUp);
    board.InByte(Lpt1);
    EXPECT_EQ(observer.calls, 1);
    board.OutByte(Lpt2, 0x14); // stray writes are news: the panel counts them
    EXPECT_EQ(observer.calls, 2);
    SendSerialWord(board, 0x01C00, Lpt1, 18);
    EXPECT_GT(observer.calls, 2);

    board.RemoveObserver(observer);
    const int before = observer.calls;
    board.OutByte(Lpt1, board_byte::PoweredDown);
    EXPECT_EQ(observer.calls, before);
}

} // namespace
} // namespace qv4130
