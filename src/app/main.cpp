// qv4130: exercises a QV4130 evaluation board on the PC's printer port.

#include "CharacteriseLauncher.h"
#include "ProgramOptions.h"
#include "board/Board.h"
#include "board/SharedState.h"
#include "host/AppIdentity.h"
#include "host/BrokenPipe.h"
#include "host/FileFinder.h"
#include "host/OsVersion.h"
#include "host/ProgramStarter.h"
#include "host/Registry.h"
#include "host/SystemInformation.h"
#include "host/qt/ProgramLog.h"
#include "host/qt/QtMessageSink.h"
#include "scpi/Interpreter.h"
#include "scpi/qt/StartServing.h"
#include "scpi/qt/StopSignals.h"
#include "setup/BoardSetup.h"
#include "startup/Declare.h"
#include "ui/ApplicationIcon.h"
#include "ui/ChildWindows.h"
#include "ui/LazyMainWindow.h"
#include "virtualboard/SimulatedMeterHandler.h"
#include "virtualboard/qt/VirtualBoardPanel.h"

#include <QApplication>
#include <QMetaObject>
#include <QTimer>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace {

// A missing port library or function: say which and why, then end with status 1.
// The run ends on the spot, as Quit does, since this may be deep inside a handler.
[[noreturn]] void EndForPortLibrary(const qv4130::PortLibraryError& error,
                                    qv4130::MessageSink& messages) {
    qv4130::ReportPortLibraryFailure(error, messages, qv4130::ProgramReport());
    std::_Exit(EXIT_FAILURE);
}

// Said on standard error at once, and in a box once the main window is up: the
// news may come from the trace's own thread, or in the middle of a word. During
// start-up the port library's reason is already in start-up's own box (with the
// way out); a second box over it would only repeat it, so it stays on stderr.
qv4130::Report ReportAndShowLater(qv4130::MessageSink& messages,
                                  const qv4130::LazyMainWindow* const& mainWindow) {
    return [&messages, &mainWindow](const std::string& text) {
        qv4130::ProgramReport()(text);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [&messages, &mainWindow, text] {
                const QWidget* shown = mainWindow != nullptr ? mainWindow->Loaded() : nullptr;
                if (shown != nullptr && shown->isVisible()) {
                    messages.ShowMessage(text, std::nullopt, qv4130::MessageIcon::Exclamation);
                }
            },
            Qt::QueuedConnection);
    };
}

// The virtual board's window, beside the main window once the event loop runs
// (start-up creates the main window before it shows it).
std::unique_ptr<qv4130::VirtualBoardPanel> ShowPanel(qv4130::BoardSetup& board,
                                                     const qv4130::LazyMainWindow& mainWindow) {
    auto panel = std::make_unique<qv4130::VirtualBoardPanel>(*board.Board(), board.Analog());
    QTimer::singleShot(0, panel.get(), [panel = panel.get(), &mainWindow] {
        if (const QWidget* anchor = mainWindow.Loaded()) {
            panel->ShowBeside(*anchor);
        } else {
            panel->show();
        }
    });
    return panel;
}

int UsageFailure(const std::string& reason) {
    qv4130::ProgramReport()(reason);
    std::cerr << "Try 'qv4130 --help'.\n";
    return 2;
}

// The options, or the exit status when the program is not to start (help,
// version, a usage error). argc shrinks by the options whose values the toolkit
// must never read as options of its own.
std::variant<qv4130::ProgramOptions, int> ReadOptions(int& argc, char** argv) {
    auto read = qv4130::ReadProgramOptions(argc, argv);
    if (!read) {
        return UsageFailure(read.Error());
    }
    if (read->help || read->version) {
        std::cout << (read->help ? qv4130::UsageText() : qv4130::VersionText() + '\n');
        return EXIT_SUCCESS;
    }
    return std::move(*read);
}

void SetUpApplication() {
    QApplication::setApplicationName(QString::fromLatin1(qv4130::identity::Title));
    QApplication::setOrganizationName(QString::fromLatin1(qv4130::identity::CompanyName));
    QApplication::setWindowIcon(qv4130::ApplicationIcon());
    // The run ends when Main returns, not when the last box of start-up closes.
    QApplication::setQuitOnLastWindowClosed(false);
}

// SCPI clients act through the windows' board object, from the same event
// loop, so the windows refuse Mode 1/2 after "OUTPut OFF" too, and a code the
// windows wrote is the code a client reads back.
struct RemoteControl {
    explicit RemoteControl(qv4130::Board& board) : interpreter(board), server(interpreter) {
        QObject::connect(&server, &qv4130::scpi::ScpiServer::Failed, [](const QString& reason) {
            qv4130::ProgramReport()(reason.toStdString());
        });
    }
    // Start-up has found the port and loaded the window by now; listening writes
    // nothing, and clients are served once the window's events run.
    void Listen(const qv4130::scpi::ListenAddress& address, qv4130::MainForm& form) {
        if (qv4130::scpi::StartServing(server, address, "qv4130", std::cout,
                                       qv4130::ProgramReport())) {
            QObject::connect(&server, &qv4130::scpi::ScpiServer::LineExecuted, &form,
                             [&form] { form.ShowSharedState(); });
        }
    }

    qv4130::scpi::Interpreter interpreter;
    qv4130::scpi::ScpiServer server;
};

// The virtual board's simulated meter, measuring its analog model, served to
// outside programs on a port of its own from the windows' event loop.
struct MeterService {
    explicit MeterService(qv4130::BoardSetup& board)
        : meter(board.Board()->Chip(), *board.Analog()), server(meter) {}
    qv4130::SimulatedMeterHandler meter;
    qv4130::scpi::ScpiServer server;
};

// Quit ends the process at once. Before that, a characterisation still running
// writes its channel's end code and a trace is completed; with neither, nothing
// more is written.
qv4130::MainFormHooks QuitHooks(qv4130::CharacteriseLauncher& characterise,
                                qv4130::TracedPortLibrary* trace) {
    qv4130::MainFormHooks hooks;
    hooks.quit = [&characterise, trace] {
        characterise.EndRun();
        if (trace != nullptr) {
            trace->FinishAndExit(EXIT_SUCCESS);
        }
        std::_Exit(EXIT_SUCCESS);
    };
    return hooks;
}

// Stopped by a service manager or Ctrl+C, the program ends as its Quit button
// ends it, once any SCPI clients are let go.
void EndLikeQuit(qv4130::scpi::StopSignals& stop, RemoteControl& remote,
                 const qv4130::MainFormHooks& hooks) {
    QObject::connect(&stop, &qv4130::scpi::StopSignals::Stop, [&remote, &hooks] {
        remote.server.Close();
        hooks.quit();
    });
}

// The simulated meter served on a port of its own, when asked for.
std::unique_ptr<MeterService> ServeMeter(const qv4130::ServerChoice& served,
                                         qv4130::BoardSetup& board) {
    if (!served.meterListen) {
        return nullptr;
    }
    auto service = std::make_unique<MeterService>(board);
    qv4130::scpi::StartServing(service->server, *served.meterListen, "qv4130 (simulated meter)",
                               std::cout, qv4130::ProgramReport());
    return service;
}

// What the About window reaches of the host: the registry, files and programs.
struct HostServices {
    explicit HostServices(qv4130::MessageSink& messages)
        : sysInfo{registry, files, programs, messages} {}
    qv4130::HostRegistry registry;
    qv4130::HostFileFinder files;
    qv4130::HostProgramStarter programs;
    const qv4130::SystemInformationHost sysInfo;
};

// The windows beside the main window: the virtual board's panel, when there is
// one, and the Characterise window, opened clear of both.
struct SideWindows {
    SideWindows(qv4130::BoardSetup& board, const qv4130::LazyMainWindow& mainWindow,
                qv4130::CharacteriseLauncher& characterise, bool openCharacterise) {
        const auto open = [this, &characterise, &mainWindow] {
            characterise.Open({mainWindow.Loaded(), panel.get()});
        };
        if (board.Board() != nullptr) {
            panel = ShowPanel(board, mainWindow);
            panel->SetCharacteriseOpener(open);
        }
        if (openCharacterise) {
            QTimer::singleShot(0, open); // once start-up has shown the others
        }
    }
    std::unique_ptr<qv4130::VirtualBoardPanel> panel;
};

} // namespace

int main(int argc, char** argv) {
    qv4130::InstallProgramLog("qv4130");
    qv4130::IgnoreBrokenPipe();
    auto read = ReadOptions(argc, argv);
    if (const int* status = std::get_if<int>(&read)) {
        return *status;
    }
    const auto options = std::get<qv4130::ProgramOptions>(std::move(read));

    QApplication app(argc, argv);
    SetUpApplication();

    qv4130::QtMessageSink messages;
    qv4130::SharedState state;
    const qv4130::LazyMainWindow* mainWindowUp = nullptr; // the window, once made
    qv4130::BoardSetup board(
        options.board, state,
        [&messages](const qv4130::PortLibraryError& error) { EndForPortLibrary(error, messages); },
        ReportAndShowLater(messages, mainWindowUp));
    qv4130::PortLibrary& library = board.Library();
    qv4130::Board actions(library, state,
                          board.Options()); // what every window and client acts through
    RemoteControl remote(actions);
    qv4130::CharacteriseLauncher characterise(actions, board.Board(), board.Analog(),
                                              board.ReferenceVolts());
    const qv4130::MainFormHooks hooks = QuitHooks(characterise, board.Trace());
    qv4130::scpi::StopSignals stop;
    EndLikeQuit(stop, remote, hooks);
    const std::unique_ptr<MeterService> meter = ServeMeter(options.served, board);

    const HostServices host(messages);
    qv4130::LazyMainWindow mainWindow([&] {
        auto form = std::make_unique<qv4130::MainForm>(
            actions, messages, qv4130::ProgramChildWindows(actions, messages, host.sysInfo), hooks);
        if (options.served.listen) {
            remote.Listen(*options.served.listen, *form);
        }
        return form;
    });
    mainWindowUp = &mainWindow;
    const SideWindows beside(board, mainWindow, characterise, options.characterise);

    const std::unique_ptr<qv4130::OsVersionSource> osVersion = qv4130::MakeHostOsVersionSource();
    qv4130::StartupContext context{
        library, state, messages, *osVersion, mainWindow, options.argumentText, {}};
    qv4130::Main(context);
    characterise.EndRun(); // the main window closed: the run ends with it
    return EXIT_SUCCESS;
}
