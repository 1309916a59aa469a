#pragma once

#include <cstdint>

namespace qv4130 {

// The run-time variables the windows and the board link share. One object is
// owned by the application and handed to whoever needs it; every field starts at 0.
struct SharedState {
    // I/O address of the selected port's data register; the control register is at +2.
    // 0 means no port was found, and then no port I/O is made at all. Held as an
    // unsigned 16-bit I/O address so that PCI cards at 0x8000 and above work.
    std::uint16_t PortAddress = 0;
    // 1 while the chip is meant to be powered up, 0 while it is powered down.
    std::int16_t DevicePowered = 0;
    // The word's mode field: 0 write, 1 increment, 2 decrement.
    std::int16_t FrameMode = 0;
    // Channel 0 to 15.
    std::int16_t SelectedChannel = 0;
    // A 12-bit code (mode 0) or a step of 0 to 127 LSBs (modes 1 and 2).
    std::int16_t DataValue = 0;
    // The last 18-bit word composed for the chip.
    std::int32_t SerialWord = 0;
};

} // namespace qv4130
