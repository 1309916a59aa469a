#pragma once

#include "SimulatedDmm.h"
#include "scpi/CommandHandler.h"

namespace qv4130 {

// The virtual board's simulated DMM as what a SCPI server runs its clients'
// lines with, so that an outside program (qv4130ctl characterise --meter, a
// PyVISA script) measures the virtual board as it would a bench meter on a
// real one. The commands of a line, ';'-separated, go to the meter one by one.
//
// A bench meter has one error queue, whoever talks to it, and so does this
// one: every client's errors wait in the meter's own queue, and the clients'
// sessions are left unused.
class SimulatedMeterHandler final : public scpi::CommandHandler {
public:
    SimulatedMeterHandler(const Qv4130Chip& chip, AnalogModel& model) : dmm_(chip, model) {}

    bool ExecuteNextCommand(std::string_view line, std::size_t& position, scpi::Session& session,
                            std::vector<std::string>& replies,
                            std::optional<scpi::Error>& error) override;
    void QueueError(scpi::Session& session, scpi::Error error) override;

    const SimulatedDmm& Dmm() const { return dmm_; }

private:
    SimulatedDmm dmm_;
};

} // namespace qv4130
