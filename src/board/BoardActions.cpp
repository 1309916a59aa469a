#include "BoardActions.h"

#include "BusyWait.h"
#include "CommsFunctions.h"
#include "PortIo.h"
#include "Signals.h"

namespace qv4130 {

void WritePowerState(PortLibrary& library, std::uint16_t portAddress, bool poweredUp) {
    PortOut(library, portAddress, poweredUp ? board_byte::PoweredUp : board_byte::PoweredDown);
}

void PulseReset(PortLibrary& library, std::uint16_t portAddress) {
    const std::int16_t value = PortIn(library, portAddress);
    PortOut(library, portAddress, static_cast<std::int16_t>(value & ~line::Reset));
    PortOut(library, portAddress, static_cast<std::int16_t>(value | line::Reset));
}

void RunTestSweep(PortLibrary& library, SharedState& state, const std::function<void()>& pause) {
    for (std::int16_t i = 1; i <= ChannelCount; ++i) {
        state.FrameMode = 0;
        state.SelectedChannel = static_cast<std::int16_t>(i - 1);
        state.DataValue = SweepCode;
        SendChannelCommand(library, state);
        if (pause) {
            pause();
        } else {
            CountDelay(SweepDelayPasses);
        }
    }
}

} // namespace qv4130
