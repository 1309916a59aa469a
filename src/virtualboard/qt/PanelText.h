#pragma once

#include "virtualboard/ReceivedWord.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace qv4130 {

// The texts the virtual board's window shows.

// "0x1C": a register's byte.
QString ByteHex(std::uint8_t value);

// "632 (0x278)": an I/O address as the port menu and a datasheet would name it.
QString AddressText(std::int32_t address);

// "A00": a 12-bit code as the mode windows show it, three upper-case hex digits.
QString CodeHex(int code);

// What the chip made of its last frame, in the words a bench engineer reads
// under a logic-analyser trace.
QString DescribeWord(const std::optional<ReceivedWord>& word);

// "0x14: RESET 1  PD 0  SYNC 1  SCLK 0  DIN 0"
QString DescribeLines(std::uint8_t dataRegister);

} // namespace qv4130
