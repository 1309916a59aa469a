// qv4130ctl: drives a QV4130 evaluation board from scripts and SCPI clients.

#include "BoardOpening.h"
#include "CtlArguments.h"
#include "CtlCommands.h"
#include "OneLineReport.h"
#include "RemoteCommands.h"
#include "Serve.h"
#include "board/Board.h"
#include "host/BrokenPipe.h"
#include "host/qt/ProgramLog.h"
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

// Where `serve` listens for the board's clients and, if asked, the meter's.
struct ServeAddresses {
    qv4130::scpi::ListenAddress listen;
    std::optional<qv4130::scpi::ListenAddress> meterListen;
};

// Reads `serve`'s addresses into `served`; the usage mistake, if any.
std::optional<std::string> ReadServeAddresses(const qv4130::ctl::Command& serve,
                                              ServeAddresses& served) {
    const auto address = serve.text.empty() ? std::optional(served.listen)
                                            : qv4130::scpi::ParseListenAddress(serve.text);
    if (!address) {
        return ListenUsage("--listen");
    }
    served.listen = *address;
    if (serve.meterListen) {
        served.meterListen = qv4130::scpi::ParseListenAddress(*serve.meterListen);
        if (!served.meterListen) {
            return ListenUsage("--meter-listen");
        }
    }
    return std::nullopt;
}

// Help, the version, or the commands sent to a running server: what needs no
// board of this process's own. Empty when the board is needed.
std::optional<int> AnswerWithoutTheBoard(const qv4130::ctl::Plan& plan) {
    if (plan.help) {
        std::cout << qv4130::ctl::UsageText();
    } else if (plan.version) {
        std::cout << qv4130::ctl::VersionText() << '\n';
    } else if (plan.connect) {
        return OutputWritten(qv4130::ctl::RunOnServer(plan.commands, *plan.connect,
                                                      {std::cout, qv4130::ProgramReport()}));
    } else {
        return std::nullopt;
    }
    return OutputWritten(EXIT_SUCCESS);
}

// Serves the board's clients, and the virtual board's meter where asked, until
// a stop signal; the exit status.
int ServeUntilStopped(qv4130::scpi::Interpreter& interpreter, const ServeAddresses& served,
                      qv4130::BoardSetup& board, const char* program) {
    std::optional<qv4130::SimulatedMeterHandler> meter;
    if (served.meterListen) {
        meter.emplace(board.Board()->Chip(), *board.Analog());
    }
    return qv4130::ctl::Serve(
        {interpreter, served.listen},
        meter ? std::optional(qv4130::ctl::ServedPort{*meter, *served.meterListen}) : std::nullopt,
        program);
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
    if (const auto status = AnswerWithoutTheBoard(plan)) {
        return *status;
    }
    const bool serving = plan.commands.back().action == ctl::Action::Serve;
    ServeAddresses served;
    if (const auto reason =
            serving ? ReadServeAddresses(plan.commands.back(), served) : std::nullopt) {
        return UsageFailure(*reason);
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

    Board instrument(library, state, board.Options());
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
    return ServeUntilStopped(interpreter, served, board, argv[0]);
}
