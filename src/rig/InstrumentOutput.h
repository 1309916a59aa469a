#pragma once

#include "board/Board.h"
#include "characterise/ChannelOutput.h"

namespace qv4130::characterise {

// A run's codes through the board link of this process: the same words, on the
// same run-time state, as the windows and the SCPI server send.
class InstrumentOutput final : public ChannelOutput {
public:
    explicit InstrumentOutput(Board& instrument) : instrument_(instrument) {}

    Result<> WriteCode(int channel, int code) override;
    std::optional<int> Code(int channel) const override;

private:
    Board& instrument_;
};

} // namespace qv4130::characterise
