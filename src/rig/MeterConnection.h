#pragma once

#include "characterise/Meter.h"
#include "characterise/ScpiMeter.h"
#include "virtualboard/AnalogModel.h"
#include "virtualboard/VirtualBoard.h"

#include <memory>
#include <optional>
#include <string>

namespace qv4130::characterise {

// Which meter a run reads, and how it is spoken to.
struct MeterChoice {
    // HOST[:PORT] or /dev/usbtmcN; none: the virtual board's simulated meter.
    std::optional<std::string> address;
    // The name and the route are filled in by ConnectMeter.
    ScpiMeterSettings settings{};
};

// Connects and configures the meter for `channel`: a SCPI DMM at the address
// (asked *IDN? first, and routed to `channel` when it is a virtual board's
// simulated DMM served elsewhere), or, without one, `model` of the virtual `board`'s outputs read
// by its simulated DMM in SCPI like any other meter. Throws MeterError naming the meter; with no
// address, `board` and `model` must be given (null on hardware).
std::unique_ptr<Meter> ConnectMeter(MeterChoice choice, int channel, const VirtualBoard* board,
                                    AnalogModel* model);

// Connects the meter at an address (none: `board`'s simulated one) for a channel,
// with the meter's own range and integration time; throws MeterError.
MeterConnector ConnectorFor(const VirtualBoard* board, AnalogModel* model);

} // namespace qv4130::characterise
