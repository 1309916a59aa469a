#pragma once

#include "PortLibrary.h"
#include "SharedState.h"

#include <cstdint>

namespace qv4130 {

// mode x 65536 + channel x 4096 + data. No field is masked: keeping each in
// range is the job of whoever set it.
std::int32_t ComposeSerialWord(std::int16_t frameMode, std::int16_t channel, std::int16_t data);

// Shifts the low `bitCount` bits of `value` into the chip, most significant first,
// three data-register writes per bit, then raises SYNC: 3 x bitCount + 1 writes.
// A negative count writes only the closing byte; a count above 31 is refused
// with std::invalid_argument before anything is written.
void SendSerialWord(PortLibrary& library, std::int32_t value, std::uint16_t port,
                    std::int16_t bitCount);

// Composes SerialWord from FrameMode, SelectedChannel and DataValue, stores it,
// and sends its 18 bits to the data register at PortAddress.
void SendChannelCommand(PortLibrary& library, SharedState& state);

} // namespace qv4130
