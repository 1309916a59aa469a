#pragma once

// The virtual board with its analog outputs, the board link over it and a meter
// on one of its channels: what every run test stands on.
#include "board/Board.h"
#include "board/SharedState.h"
#include "characterise/Meter.h"
#include "rig/InstrumentOutput.h"
#include "virtualboard/AnalogModel.h"
#include "virtualboard/VirtualBoard.h"

namespace qv4130::characterise {

class BoardMeter final : public Meter {
public:
    BoardMeter(const VirtualBoard& board, AnalogModel& model, int channel)
        : board_(board), model_(model), channel_(channel) {}

    double ReadVolts() override { return model_.Output(board_.Chip(), channel_); }

private:
    const VirtualBoard& board_;
    AnalogModel& model_;
    int channel_;
};

struct RunRig {
    explicit RunRig(int channel, AnalogSettings analog = {})
        : model(analog), meter(board, model, channel) {
        instrument.SetOutput(true);
    }

    VirtualBoard board;
    SharedState state{.PortAddress = VirtualBoard::BaseAddress};
    // The virtual board is read back: a run ends at the code the chip really had.
    Board instrument{
        board, state, {[this](int channel) { return board.Chip().Code(channel); }, {}}};
    InstrumentOutput output{instrument};
    AnalogModel model;
    BoardMeter meter;
};

} // namespace qv4130::characterise
