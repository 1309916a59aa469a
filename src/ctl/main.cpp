// qv4130ctl: drives a QV4130 evaluation board from scripts and SCPI clients.

#include "BoardOpening.h"
#include "CtlArguments.h"
#include "CtlCommands.h"
#include "OneLineReport.h"
#include "RemoteCommands.h"
#include "Serve.h"
#include "host/BrokenPipe.h"
#include "host/qt/ProgramLog.h"
#include "scpi/Instrument.h"
#include "scpi/Interpreter.h"
#include "setup/BoardSetup.h"
#include "virtualboard/SimulatedMeterHandler.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

constexpr int UsageStatus = 2;

// The reason in one line and where the whole usage is: a script's log keeps
// the mistake in sight instead of burying it under the help.
int UsageFailure(const std::string& reason) {
    qv4130::ProgramReport()(reason);
    std::cerr << "Try 'qv4130ctl --help'.\n";
    return UsageStatus;
}

// Said after the cause when no port can be used, as the windowed program's box says it.
const std::string NoPortWayOut =
    "no printer port here? connect an FTDI USB adapter in bit-bang mode (see man qv4130ctl), "
    "or run on the virtual board: qv4130ctl --virtual-board";

// Output nobody could take (its reader gone: EPIPE, a full disk) fails a run
// that was to print it, as a failed command does; SIGPIPE no longer says so. A
// run that failed already has said its one line.
int OutputWritten(int status) {
    errno = 0; // a write that failed earlier left no reason we could still trust
    std::cout.flush();
    if (status != EXIT_SUCCESS || (std::cout.good() && std::ferror(stdout) == 0)) {
        return status;
    }
    qv4130::ProgramReport()("can't write standard output" +
                            (errno != 0 ? ": " + std::string(std::strerror(errno)) : ""));
    return EXIT_FAILURE;
}

std::string ListenUsage(const std::string& option) {
    return option + " takes ADDR:PORT, ADDR an IP address or localhost";
}

} // namespace

int main(int argc, char** argv) {
    using namespace qv4130;
    InstallProgramLog("qv4130ctl");
    IgnoreBrokenPipe();
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    auto parsed = ctl::ParseArguments(arguments);
    if (const auto* error = std::get_if<ctl::UsageError>(&parsed)) {
        return UsageFailure(error->reason);
    }
    const ctl::Plan plan = std::get<ctl::Plan>(std::move(parsed));
    if (plan.help) {
        std::cout << ctl::UsageText();
        return OutputWritten(EXIT_SUCCESS);
    }
    if (plan.version) {
        std::cout << ctl::VersionText() << '\n';
        return OutputWritten(EXIT_SUCCESS);
    }
    if (plan.connect) {
        return OutputWritten(
            ctl::RunOnServer(plan.commands, *plan.connect, {std::cout, ProgramReport()}));
    }
    const bool serving = plan.commands.back().action == ctl::Action::Serve;
    scpi::ListenAddress listen;
    std::optional<scpi::ListenAddress> meterListen;
    if (serving) {
        const ctl::Command& serve = plan.commands.back();
        const auto address =
            serve.text.empty() ? std::optional(listen) : scpi::ParseListenAddress(serve.text);
        if (!address) {
            return UsageFailure(ListenUsage("--listen"));
        }
        listen = *address;
        if (serve.meterListen) {
            meterListen = scpi::ParseListenAddress(*serve.meterListen);
            if (!meterListen) {
                return UsageFailure(ListenUsage("--meter-listen"));
            }
        }
    }

    SharedState state;
    // A trace's file is completed when the set-up goes, on every return below.
    ctl::OneLineReport lines(ProgramReport());
    BoardSetup board({plan.virtualBoard, plan.tracePath, plan.analog}, state,
                     ctl::EndForPortLibrary, lines.Held());
    ctl::BoardReach library(board.Library());
    if (!ctl::FindPort(library, state, plan.port, lines.Held())) {
        lines.Finish(true, NoPortWayOut);
        return EXIT_FAILURE;
    }
    // As the main window assumes when it loads; nothing is written for it.
    state.DevicePowered = 1;

    scpi::Instrument instrument(
        library, state, scpi::InstrumentOptions{board.ChipCode(), {}, board.ReferenceVolts()});
    scpi::Interpreter interpreter(instrument);

    // Serving, the listening line may go unread: the clients are what counts.
    const int ran = ctl::RunCommands(plan.commands, instrument, interpreter, library,
                                     {std::cout, lines.Failure()}, board);
    const int status = serving ? ran : OutputWritten(ran);
    // Serving, the library's news is said as it comes.
    lines.Finish(false);
    if (status != EXIT_SUCCESS || !serving) {
        return status;
    }
    std::optional<SimulatedMeterHandler> meter;
    std::optional<ctl::ServedPort> meterPort;
    if (meterListen) {
        meter.emplace(board.Board()->Chip(), *board.Analog());
        meterPort.emplace(ctl::ServedPort{*meter, *meterListen});
    }
    return ctl::Serve({interpreter, listen}, meterPort, argv[0]);
}
