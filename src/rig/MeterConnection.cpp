#include "MeterConnection.h"

#include "InProcessTransport.h"
#include "characterise/MeterAddress.h"
#include "virtualboard/SimulatedMeterHandler.h"

namespace qv4130::characterise {

namespace {

// The simulated DMM on the virtual board's outputs, and the SCPI meter over it;
// the DMM lives as long as the meter that speaks to it.
class SimulatedMeter final : public Meter {
public:
    SimulatedMeter(const VirtualBoard& board, AnalogModel& model, ScpiMeterSettings settings)
        : dmm_(board.Chip(), model),
          meter_(std::make_unique<InProcessTransport>(dmm_), std::move(settings)) {}

    void Configure() { meter_.Configure(); }
    double ReadVolts() override { return meter_.ReadVolts(); }
    std::string Identity() const override { return std::string(SimulatedDmm::Identity); }
    bool MayWait() const override { return false; }

private:
    SimulatedMeterHandler dmm_;
    ScpiMeter meter_;
};

} // namespace

std::unique_ptr<Meter> ConnectMeter(MeterChoice choice, int channel, const VirtualBoard* board,
                                    AnalogModel* model) {
    if (!choice.address) {
        if (board == nullptr || model == nullptr) {
            throw MeterError("a meter address is needed (the simulated meter is only on the "
                             "virtual board)");
        }
        choice.settings.name = "simulated";
        choice.settings.routeChannel = channel;
        auto meter = std::make_unique<SimulatedMeter>(*board, *model, choice.settings);
        meter->Configure();
        return meter;
    }
    choice.settings.name = *choice.address;
    const auto parsed = ParseMeterAddress(*choice.address);
    if (!parsed) {
        throw MeterError("meter " + *choice.address + ": not " + std::string(MeterAddressSyntax));
    }
    std::unique_ptr<MeterTransport> transport;
    try {
        transport = OpenMeterTransport(*parsed, choice.settings.timeout);
    } catch (const TransportError& error) {
        throw MeterError("meter " + *choice.address + " " + error.what());
    }
    auto meter = std::make_unique<ScpiMeter>(std::move(transport), std::move(choice.settings));
    // The virtual board's simulated DMM served by another process (serve
    // --meter-listen) switches between the 16 outputs as the in-process one does,
    // and is left where its last client closed it, or on none: it is closed on
    // the run's channel here, as nobody else will. A real DMM has one input.
    if (meter->Identify() == SimulatedDmm::Identity) {
        meter->RouteTo(channel);
    }
    meter->Configure();
    return meter;
}

MeterConnector ConnectorFor(const VirtualBoard* board, AnalogModel* model) {
    return [board, model](std::optional<std::string> address, int channel) {
        return ConnectMeter({.address = std::move(address)}, channel, board, model);
    };
}

} // namespace qv4130::characterise
