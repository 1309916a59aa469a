#pragma once

#include "PortLibrary.h"

#include <cstdint>

namespace qv4130 {

// I/O locations below this belong to the DMA controller, never to a printer
// port; an address there means "no port was found" and is never touched.
inline constexpr std::uint16_t LowestPrinterPortAddress = 3;

// The byte at `address`, low 8 bits kept; 0 without a call when no port is there.
std::int16_t PortIn(PortLibrary& library, std::uint16_t address);

// Writes `value` at `address` (sign preserved when widened); dropped when no port is there.
void PortOut(PortLibrary& library, std::uint16_t address, std::int16_t value);

} // namespace qv4130
