#pragma once

#include "PortLibrary.h"

#include <cstdint>

namespace qv4130 {

// I/O locations below this belong to the DMA controller, never to a printer
// port; an address there means "no port was found" and is never touched.
inline constexpr std::uint16_t LowestPrinterPortAddress = 3;

// The address reaches the library sign-extended from 16 bits (0xD010 as -12272).
// The byte at `address`, low 8 bits kept; 0 without a call when no port is there.
std::int16_t PortIn(PortLibrary& library, std::uint16_t address);

// Writes `value` at `address` (sign preserved when widened); dropped when no port is there.
void PortOut(PortLibrary& library, std::uint16_t address, std::int16_t value);

// Reads the control register of the port at `portAddress` (two above its data
// register), keeps the bits set in `keepMask` and writes the result back.
void MaskControlRegister(PortLibrary& library, std::uint16_t portAddress, std::int16_t keepMask);

} // namespace qv4130
