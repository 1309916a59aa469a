#pragma once

// The virtual board with its analog outputs, the board link over it and a meter
// on one of its channels: what every run test stands on.
#include "board/Board.h"
#include "board/SharedState.h"
#include "rig/InstrumentOutput.h"
#include "rig/MeterConnection.h"
#include "virtualboard/AnalogModel.h"
#include "virtualboard/VirtualBoard.h"

namespace qv4130::characterise {

struct RunRig {
    explicit RunRig(int channel, AnalogSettings analog = {})
        : model(analog), meter(ConnectMeter({}, channel, &board, &model)) {
        instrument.SetOutput(true);
    }

    VirtualBoard board;
    SharedState state{.PortAddress = VirtualBoard::BaseAddress};
    // The virtual board is read back: a run ends at the code the chip really had.
    Board instrument{
        board, state, {[this](int channel) { return board.Chip().Code(channel); }, {}}};
    InstrumentOutput output{instrument};
    AnalogModel model;
    std::unique_ptr<Meter> meter; // the simulated DMM on the channel
};

} // namespace qv4130::characterise
