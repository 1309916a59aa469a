#pragma once

#include "PortLibrary.h"
#include "PrinterPorts.h"
#include "SharedState.h"

#include <cstdint>

namespace qv4130 {

// What an operator does to the board besides sending a word, written once for
// every front end (the main window, scripts, remote clients).

// Three quarters of full scale: the code the test sweep writes to every channel.
inline constexpr std::int16_t SweepCode = 3072;

// Writes the whole byte for a power state, 0x14 powered up or 0x1C powered
// down, and keeps DevicePowered with it. Clock, data and frame sync go to their
// idle levels too.
void SetPower(PortLibrary& library, SharedState& state, bool poweredUp);

// Points the next writes at another port; nothing is written. True when the
// address changed.
bool SelectPort(SharedState& state, PortMenuItem port);

// Takes RESET low for the length of one write and high again; the other lines
// keep the levels read back from the data register.
void PulseReset(PortLibrary& library, std::uint16_t portAddress);

} // namespace qv4130
