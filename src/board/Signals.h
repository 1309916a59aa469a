#pragma once

#include <cstdint>

namespace qv4130 {

// Which bit of the printer port's data register drives which QV4130 input.
namespace line {
inline constexpr std::uint8_t Din = 0x01;       // serial data
inline constexpr std::uint8_t Sclk = 0x02;      // serial clock, data taken on the rising edge
inline constexpr std::uint8_t Sync = 0x04;      // frame sync, low for the length of a word
inline constexpr std::uint8_t PowerDown = 0x08; // 1 powers the outputs down
inline constexpr std::uint8_t Reset = 0x10;     // active low: 1 lets the chip run
} // namespace line

// The whole bytes the program writes to the data register.
namespace board_byte {
inline constexpr std::int16_t HeldInReset = 0x06;    // RESET low, SYNC and SCLK high
inline constexpr std::int16_t PoweredUp = 0x14;      // running, powered up, idle
inline constexpr std::int16_t PoweredDown = 0x1C;    // running, powered down, idle
inline constexpr std::int16_t ClockHighData0 = 0x12; // word in progress
inline constexpr std::int16_t ClockLowData0 = 0x10;  // word in progress
inline constexpr std::int16_t ClockLowData1 = 0x11;  // word in progress
inline constexpr std::int16_t ClockHighData1 = 0x13; // word in progress
inline constexpr std::int16_t EndOfWord = 0x16;      // SYNC raised, clock left high
} // namespace board_byte

// The control register sits two addresses above the data register. Clearing
// bit 5 makes the data lines outputs.
inline constexpr std::uint16_t ControlRegisterOffset = 2;
inline constexpr std::int16_t ControlDirectionMask = 0xDF;

// The serial word: mode in bits 17-16, channel in 15-12, data in 11-0.
inline constexpr std::int16_t SerialWordBits = 18;
namespace word_field {
inline constexpr int ModeShift = 16;
inline constexpr int ModeMask = 0x3;
inline constexpr int ChannelShift = 12;
inline constexpr int ChannelMask = 0xF;
inline constexpr int DataMask = 0xFFF;
} // namespace word_field
inline constexpr int ChannelCount = 16;
inline constexpr std::int16_t FullScaleCode = 4095;

} // namespace qv4130
