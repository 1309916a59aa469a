#pragma once

#include "AnalogModel.h"
#include "Qv4130Chip.h"

#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace qv4130 {

// A bench DMM clipped to the virtual board's outputs, spoken to in SCPI one
// message at a time: ROUTe:CLOSe (@n) picks the channel it measures (0 to 15),
// CONFigure:VOLTage:DC [range] and [SENSe:]VOLTage:DC:NPLCycles are taken,
// READ? and MEASure:VOLTage:DC? read the channel, *IDN?, *RST, *CLS and
// SYSTem:ERRor? behave as IEEE 488.2 and SCPI ask. Headers are matched in
// short or long form, in any case.
class SimulatedDmm {
public:
    static constexpr std::string_view Identity = "QV4130,Simulated DMM,0,1.0";

    SimulatedDmm(const Qv4130Chip& chip, AnalogModel& model);

    // The reply to a query; none for a command (or a query that failed, whose
    // error then waits in the queue).
    std::optional<std::string> Handle(std::string_view message);

    int Channel() const { return channel_; }

    // Queues an error for the next SYSTem:ERRor?; a full queue ends in -350.
    void PushError(int code, std::string_view text);

private:
    std::optional<std::string> Query(std::string_view header, std::string_view argument);
    void Command(std::string_view header, std::string_view argument);
    std::string Reading();

    const Qv4130Chip& chip_;
    AnalogModel& model_;
    int channel_ = 0;
    std::deque<std::string> errors_;
};

} // namespace qv4130
