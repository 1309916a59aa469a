#pragma once

#include "MeterCommands.h"
#include "scpi/Engine.h"
#include "virtualboard/SimulatedDmm.h"

#include <optional>
#include <string>
#include <string_view>

namespace qv4130 {

// The virtual board's simulated DMM with the SCPI engine over it (its commands
// in MeterCommands.h): what a SCPI server runs its clients' lines with, so that
// an outside program (qv4130ctl characterise --meter, a PyVISA or PyMeasure
// script) measures the virtual board as it would a bench meter on a real one,
// and what an in-process client (the characterisation's simulated meter) talks to.
// Each server client has its own session, as on the board.
class SimulatedMeterHandler final : public scpi::CommandHandler {
public:
    SimulatedMeterHandler(const Qv4130Chip& chip, AnalogModel& model) : dmm_(chip, model) {}

    bool ExecuteNextCommand(std::string_view line, std::size_t& position, scpi::Session& session,
                            std::vector<std::string>& replies,
                            std::optional<scpi::Error>& error) override {
        return engine_.ExecuteNextCommand(line, position, session, replies, error);
    }
    scpi::Session NewSession() override { return engine_.NewSession(); }

    // One line from the in-process client, on a session of its own: its
    // replies as a server would send them, ';' between; none for no reply.
    std::optional<std::string> Handle(std::string_view line);

    const SimulatedDmm& Dmm() const { return dmm_; }

private:
    SimulatedDmm dmm_;
    scpi::Engine<SimulatedDmm> engine_{dmm_};
};

} // namespace qv4130
