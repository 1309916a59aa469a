// qv4130ctl: drives a QV4130 evaluation board from scripts and SCPI clients.

#include "BoardOpening.h"
#include "CtlArguments.h"
#include "CtlCommands.h"
#include "OneLineReport.h"
#include "Serve.h"
#include "host/qt/ProgramLog.h"
#include "scpi/Instrument.h"
#include "scpi/Interpreter.h"
#include "setup/BoardSetup.h"

#include <cstdlib>
#include <iostream>

namespace {

constexpr int UsageStatus = 2;

int UsageFailure(const std::string& reason) {
    qv4130::ProgramReport()(reason);
    std::cerr << '\n' << qv4130::ctl::UsageText();
    return UsageStatus;
}

} // namespace

int main(int argc, char** argv) {
    using namespace qv4130;
    InstallProgramLog("qv4130ctl");
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    auto parsed = ctl::ParseArguments(arguments);
    if (const auto* error = std::get_if<ctl::UsageError>(&parsed)) {
        return UsageFailure(error->reason);
    }
    const ctl::Plan plan = std::get<ctl::Plan>(std::move(parsed));
    if (plan.help) {
        std::cout << ctl::UsageText();
        return EXIT_SUCCESS;
    }
    if (plan.version) {
        std::cout << ctl::VersionText() << '\n';
        return EXIT_SUCCESS;
    }
    const bool serving = plan.commands.back().action == ctl::Action::Serve;
    scpi::ListenAddress listen;
    if (serving && !plan.commands.back().text.empty()) {
        const auto address = scpi::ParseListenAddress(plan.commands.back().text);
        if (!address) {
            return UsageFailure("--listen takes ADDR:PORT, ADDR an IP address or localhost");
        }
        listen = *address;
    }

    SharedState state;
    // A trace's file is completed when the set-up goes, on every return below.
    ctl::OneLineReport lines(ProgramReport());
    BoardSetup board({plan.virtualBoard, plan.tracePath, plan.analog}, state,
                     ctl::EndForPortLibrary, lines.Held());
    ctl::BoardReach library(board.Library());
    if (!ctl::FindPort(library, state, plan.port, lines.Held())) {
        lines.Finish(true);
        return EXIT_FAILURE;
    }
    // As the main window assumes when it loads; nothing is written for it.
    state.DevicePowered = 1;

    scpi::Instrument instrument(
        library, state, scpi::InstrumentOptions{board.ChipCode(), {}, board.ReferenceVolts()});
    scpi::Interpreter interpreter(instrument);

    const int status = ctl::RunCommands(plan.commands, instrument, interpreter, library,
                                        {std::cout, lines.Failure()}, board);
    // Serving, the library's news is said as it comes.
    lines.Finish(false);
    if (status != EXIT_SUCCESS || !serving) {
        return status;
    }
    return ctl::Serve(interpreter, listen, argv[0]);
}
