// qv4130ctl: drives a QV4130 evaluation board from scripts and SCPI clients.

#include "BoardOpening.h"
#include "BoardReach.h"
#include "CtlArguments.h"
#include "CtlCommands.h"
#include "InterpreterLink.h"
#include "OneLineReport.h"
#include "Serve.h"
#include "ServerLink.h"
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

using namespace qv4130;

// The reason in one line and where the whole usage is: a script's log keeps
// the mistake in sight instead of burying it under the help.
void SayUsageMistake(const Report& say, const std::string& reason) {
    say(reason);
    std::cerr << "Try 'qv4130ctl --help'.\n";
}

int UsageFailure(const std::string& reason) {
    SayUsageMistake(ProgramReport(), reason);
    return ctl::UsageStatus;
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
    ProgramReport()("can't write standard output" +
                    (errno != 0 ? ": " + std::string(std::strerror(errno)) : ""));
    return EXIT_FAILURE;
}

// --help or --version: what needs no board.
int Answer(const ctl::Plan& plan) {
    std::cout << (plan.help ? ctl::UsageText() : ctl::VersionText() + '\n');
    return OutputWritten(EXIT_SUCCESS);
}

// The commands, each its lines of SCPI, to the board of a running server.
int RunOnServer(const ctl::Plan& plan) {
    auto connected = ctl::ServerLink::Connect(plan.connect->address, plan.connect->name);
    if (!connected) {
        ProgramReport()(connected.Error());
        return EXIT_FAILURE;
    }
    const Report misused = [](const std::string& reason) {
        SayUsageMistake(ProgramReport(), reason);
    };
    return OutputWritten(ctl::RunCommands(plan.commands, *connected,
                                          {std::cout, ProgramReport(), misused}, nullptr));
}

// Serves the board's clients, and the virtual board's meter where asked, until
// a stop signal; the exit status.
int ServeUntilStopped(scpi::Interpreter& interpreter, const ServerChoice& served, BoardSetup& board,
                      const char* program) {
    std::optional<SimulatedMeterHandler> meter;
    if (served.meterListen) {
        meter.emplace(board.Board()->Chip(), *board.Analog());
    }
    return ctl::Serve({interpreter, *served.listen},
                      meter ? std::optional(ctl::ServedPort{*meter, *served.meterListen})
                            : std::nullopt,
                      program);
}

// The commands, each its lines of SCPI, to this process's board through its
// interpreter; then, when the last is serve, the clients' lines.
int RunHere(const ctl::Plan& plan, const char* program) {
    SharedState state;
    // A trace's file is completed when the set-up goes, on every return below.
    ctl::OneLineReport lines(ProgramReport());
    BoardSetup board(plan.board, state, ctl::EndForPortLibrary, lines.Held());
    ctl::BoardReach reach(board.Library());
    if (!ctl::FindPort(reach, state, plan.port, lines.Held())) {
        lines.Finish(true, NoPortWayOut);
        return EXIT_FAILURE;
    }
    // As the main window assumes when it loads; nothing is written for it.
    state.DevicePowered = 1;

    Board instrument(reach, state, board.Options());
    scpi::Interpreter interpreter(instrument);
    ctl::InterpreterLink link(interpreter, reach);
    const Report misused = [&lines](const std::string& reason) {
        SayUsageMistake(lines.Mistake(), reason);
    };
    const ctl::Command& last = plan.commands.back();
    const bool serving = last.action == ctl::Action::Serve;
    const int ran =
        ctl::RunCommands(plan.commands, link, {std::cout, lines.Failure(), misused}, &board);
    // Serving, the listening line may go unread: the clients are what counts.
    const int status = serving ? ran : OutputWritten(ran);
    // Serving, the library's news is said as it comes.
    lines.Finish(false);
    if (status != EXIT_SUCCESS || !serving) {
        return status;
    }
    return ServeUntilStopped(interpreter, *last.serve, board, program);
}

} // namespace

int main(int argc, char** argv) {
    InstallProgramLog("qv4130ctl");
    IgnoreBrokenPipe();
    auto parsed = ctl::ParseArguments(std::vector<std::string_view>(argv + 1, argv + argc));
    if (!parsed) {
        return UsageFailure(parsed.Error());
    }
    const ctl::Plan plan = std::move(*parsed);
    if (plan.help || plan.version) {
        return Answer(plan);
    }
    return plan.connect ? RunOnServer(plan) : RunHere(plan, argv[0]);
}
