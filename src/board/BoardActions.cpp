#include "BoardActions.h"

#include "PortIo.h"
#include "qv4130/BoardVocabulary.h"

namespace qv4130 {

void SetPower(PortLibrary& library, SharedState& state, bool poweredUp) {
    PortOut(library, state.PortAddress,
            poweredUp ? board_byte::PoweredUp : board_byte::PoweredDown);
    state.DevicePowered = poweredUp ? 1 : 0;
}

bool SelectPort(SharedState& state, PortMenuItem port) {
    const std::uint16_t address = PortMenuAddress(port);
    const bool changed = address != state.PortAddress;
    state.PortAddress = address;
    return changed;
}

void PulseReset(PortLibrary& library, std::uint16_t portAddress) {
    const std::int16_t value = PortIn(library, portAddress);
    PortOut(library, portAddress, static_cast<std::int16_t>(value & ~line::Reset));
    PortOut(library, portAddress, static_cast<std::int16_t>(value | line::Reset));
}

} // namespace qv4130
