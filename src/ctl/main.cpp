// qv4130ctl: drives a QV4130 evaluation board from scripts and SCPI clients.

#include "BoardOpening.h"
#include "CtlArguments.h"
#include "CtlCommands.h"
#include "Serve.h"
#include "scpi/Instrument.h"
#include "scpi/Interpreter.h"
#include "trace/TracedPortLibrary.h"
#include "virtualboard/VirtualBoard.h"

#include <cstdlib>
#include <iostream>

namespace {

constexpr int UsageStatus = 2;

int UsageFailure(const std::string& reason) {
    std::cerr << "qv4130ctl: " << reason << "\n\n" << qv4130::ctl::CtlUsageText();
    return UsageStatus;
}

} // namespace

int main(int argc, char** argv) {
    using namespace qv4130;
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    auto parsed = ctl::ParseCtlArguments(arguments);
    if (const auto* error = std::get_if<ctl::UsageError>(&parsed)) {
        return UsageFailure(error->reason);
    }
    const ctl::CtlPlan plan = std::get<ctl::CtlPlan>(std::move(parsed));
    if (plan.help) {
        std::cout << ctl::CtlUsageText();
        return EXIT_SUCCESS;
    }
    if (plan.version) {
        std::cout << ctl::CtlVersionText() << '\n';
        return EXIT_SUCCESS;
    }
    const bool serving = plan.commands.back().action == ctl::CtlAction::Serve;
    scpi::ListenAddress listen;
    if (serving && !plan.commands.back().text.empty()) {
        const auto address = scpi::ParseListenAddress(plan.commands.back().text);
        if (!address) {
            return UsageFailure("--listen takes ADDR:PORT, ADDR an IP address or localhost");
        }
        listen = *address;
    }

    const std::unique_ptr<PortLibrary> chosenLibrary = ctl::MakeCtlPortLibrary(plan.virtualBoard);
    SharedState state;
    // In front of whichever library was chosen, so both are traced alike; the
    // file is completed when it goes, on every return below.
    const std::unique_ptr<TracedPortLibrary> trace =
        plan.tracePath ? StartTrace(*chosenLibrary, state, *plan.tracePath, std::cerr) : nullptr;
    ctl::BoardReach library(trace ? static_cast<PortLibrary&>(*trace) : *chosenLibrary);
    if (!ctl::FindPort(library, state, plan.port, std::cerr)) {
        return EXIT_FAILURE;
    }
    // As the main window assumes when it loads; nothing is written for it.
    state.DevicePowered = 1;

    scpi::InstrumentOptions options;
    if (const auto* board = dynamic_cast<const VirtualBoard*>(chosenLibrary.get())) {
        options.chipCode = [board](int channel) { return int{board->Chip().Code(channel)}; };
    }
    scpi::Instrument instrument(library, state, std::move(options));
    scpi::Interpreter interpreter(instrument);

    const int status = ctl::RunCtlCommands(plan.commands, instrument, interpreter, library,
                                           {std::cout, std::cerr});
    if (status != EXIT_SUCCESS || !serving) {
        return status;
    }
    return ctl::Serve(interpreter, listen, argv[0]);
}
