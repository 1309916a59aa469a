#pragma once

// The QV4130 board and the printer port it hangs on, in numbers: which data
// bit drives which chip input, the whole bytes written for each board state, the
// serial word's fields and limits, and the ports the program knows by name.
// Plain constants only, so that the program, the port library and the virtual
// board all include this one header and never spell a number twice.

#include <array>
#include <cstdint>
#include <string_view>

namespace qv4130 {

// Which bit of the printer port's data register drives which QV4130 input.
namespace line {
inline constexpr std::uint8_t Din = 0x01;       // serial data
inline constexpr std::uint8_t Sclk = 0x02;      // serial clock, data taken on the rising edge
inline constexpr std::uint8_t Sync = 0x04;      // frame sync, low for the length of a word
inline constexpr std::uint8_t PowerDown = 0x08; // 1 powers the outputs down
inline constexpr std::uint8_t Reset = 0x10;     // active low: 1 lets the chip run
// Bits 5 to 7 of the data register are not wired to the chip.
inline constexpr std::uint8_t Wired = Din | Sclk | Sync | PowerDown | Reset;
} // namespace line

// The whole bytes the program writes to the data register, each one a set of
// line levels; bits 5 to 7 are always written as 0.
namespace board_byte {
inline constexpr std::int16_t HeldInReset = line::Sync | line::Sclk;       // 0x06, RESET low
inline constexpr std::int16_t PoweredUp = line::Reset | line::Sync;        // 0x14, running, idle
inline constexpr std::int16_t PoweredDown = PoweredUp | line::PowerDown;   // 0x1C, idle
inline constexpr std::int16_t ClockLowData0 = line::Reset;                 // 0x10, in a word
inline constexpr std::int16_t ClockLowData1 = ClockLowData0 | line::Din;   // 0x11, in a word
inline constexpr std::int16_t ClockHighData0 = ClockLowData0 | line::Sclk; // 0x12, in a word
inline constexpr std::int16_t ClockHighData1 = ClockLowData1 | line::Sclk; // 0x13, in a word
inline constexpr std::int16_t EndOfWord = ClockHighData0 | line::Sync;     // 0x16, SYNC raised
} // namespace board_byte

// The control register sits two addresses above the data register, the status
// register one above. Clearing bit 5 (the direction bit) makes the data lines
// outputs.
inline constexpr std::uint16_t StatusRegisterOffset = 1;
inline constexpr std::uint16_t ControlRegisterOffset = 2;
inline constexpr std::uint8_t ControlDirectionBit = 0x20;
inline constexpr std::int16_t ControlDirectionMask = 0xFF & ~ControlDirectionBit;

// What a read gives where nothing drives the bus: every line floats high.
inline constexpr std::uint8_t UndrivenBus = 0xFF;
// The status register of a port whose inputs nothing drives, as the board leaves
// them: BUSY, ACK, PAPER OUT, SELECT and ERROR (bits 7 to 3) are pulled high, and
// BUSY reads inverted, so bits 6 to 3 read 1 and bit 7 reads 0. Bits 2 to 0 have
// no pin; they read 0, which also keeps an EPP port's time-out bit clear.
inline constexpr std::uint8_t IdleStatus = 0x78;

// The serial word: mode in bits 17-16, channel in 15-12, data in 11-0.
inline constexpr std::int16_t SerialWordBits = 18;
namespace word_field {
inline constexpr int ModeShift = 16;
inline constexpr int ModeMask = 0x3;
inline constexpr int ChannelShift = 12;
inline constexpr int ChannelMask = 0xF;
inline constexpr int DataMask = 0xFFF;
} // namespace word_field

// What a word's mode field asks of the chip; mode 3 is no command.
namespace word_mode {
inline constexpr std::int16_t Write = 0;
inline constexpr std::int16_t Increment = 1;
inline constexpr std::int16_t Decrement = 2;
} // namespace word_mode

inline constexpr int ChannelCount = 16;
// The highest 12-bit code, and the largest step a Mode 2 word may carry.
inline constexpr std::int16_t FullScaleCode = 4095;
inline constexpr std::int16_t MaxStep = 127;
// The codes divide the reference into this many steps: code N puts out N/4096 of it.
inline constexpr int CodeSteps = FullScaleCode + 1;

// A channel's code after a word: a write sets it, a step moves it and stops at
// either end of the range (the chip saturates, it never wraps), mode 3 leaves it.
constexpr int CodeAfterWord(int code, int mode, int data) {
    switch (mode) {
    case word_mode::Write:
        return data;
    case word_mode::Increment:
        return code + data < FullScaleCode ? code + data : FullScaleCode;
    case word_mode::Decrement:
        return code - data > 0 ? code - data : 0;
    default:
        return code;
    }
}

// The reference voltage the outputs are scaled to: the board's own 2.500 V, or
// what an operator has fitted instead, within what the chip's reference input takes.
namespace reference_volts {
inline constexpr double Default = 2.5;
inline constexpr double Min = 0.5;
inline constexpr double Max = 5.0;
} // namespace reference_volts

// The printer ports the program knows by name, in the order the main window's
// "Printer Port" menu lists them; the first is the one a lone port stands for.
struct NamedPort {
    std::string_view name; // "LPT1": the menu's caption and the port's usual name
    std::uint16_t address; // its data register's I/O address
};
inline constexpr std::array<NamedPort, 3> NamedPorts{{
    {"LPT1", 888}, // 0x378
    {"LPT2", 632}, // 0x278
    {"PRN", 956},  // 0x3BC
}};
inline constexpr std::uint16_t Lpt1Address = NamedPorts[0].address;
// The port library numbers ports from 1; the board is always on the first one.
inline constexpr std::int32_t BoardPortNumber = 1;

} // namespace qv4130
