#include "InstrumentOutput.h"

namespace qv4130::characterise {

Result<> InstrumentOutput::WriteCode(int channel, int code) {
    switch (instrument_.WriteCode(channel, code)) {
    case ActionResult::Done:
        return {};
    case ActionResult::PoweredDown:
        return Failure{"the chip is powered down: power it up and run again"};
    case ActionResult::OutOfRange:
        break;
    }
    return Failure{"code " + std::to_string(code) + " could not be written"};
}

std::optional<int> InstrumentOutput::Code(int channel) const {
    const int code = instrument_.Code(channel);
    if (code == Board::UnknownCode) {
        return std::nullopt;
    }
    return code;
}

} // namespace qv4130::characterise
