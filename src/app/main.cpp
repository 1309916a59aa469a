// qv4130: exercises a QV4130 evaluation board on the PC's printer port.

#include "board/Declare.h"
#include "board/DynamicPortLibrary.h"
#include "board/SharedState.h"
#include "host/AppIdentity.h"
#include "host/CommandLine.h"
#include "host/FileFinder.h"
#include "host/OsVersion.h"
#include "host/ProgramStarter.h"
#include "host/Registry.h"
#include "host/SystemInformation.h"
#include "host/qt/QtMessageSink.h"
#include "scpi/Instrument.h"
#include "scpi/Interpreter.h"
#include "scpi/qt/StartServing.h"
#include "scpi/qt/StopSignals.h"
#include "trace/TracedPortLibrary.h"
#include "ui/ApplicationIcon.h"
#include "ui/ChildWindows.h"
#include "ui/LazyMainWindow.h"
#include "virtualboard/VirtualBoard.h"
#include "virtualboard/qt/VirtualBoardPanel.h"

#include <QApplication>
#include <QMetaObject>
#include <QTimer>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

namespace {

// A missing port library or function: say which and why, then end with status 1.
// The run ends on the spot, as Quit does, since this may be deep inside a handler.
[[noreturn]] void EndForPortLibrary(const qv4130::PortLibraryError& error,
                                    qv4130::MessageSink& messages) {
    qv4130::ReportPortLibraryFailure(error, messages, std::cerr);
    std::_Exit(EXIT_FAILURE);
}

// The one place the port library is chosen: the shared library loaded by name,
// or the virtual board standing exactly where it would.
std::unique_ptr<qv4130::PortLibrary> MakePortLibrary(bool virtualBoard,
                                                     qv4130::MessageSink& messages) {
    if (virtualBoard) {
        return std::make_unique<qv4130::VirtualBoard>();
    }
    return std::make_unique<qv4130::DynamicPortLibrary>(
        qv4130::DefaultPortLibraryName,
        [&messages](const qv4130::PortLibraryError& error) { EndForPortLibrary(error, messages); });
}

// A trace file that cannot be written is said in a box once the event loop runs:
// the news may come from the trace's own thread, or in the middle of a word.
qv4130::TraceFailureReport ShowTraceFailureLater(qv4130::MessageSink& messages) {
    return [&messages](const std::string& text) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [&messages, text] {
                messages.ShowMessage(text, std::nullopt, qv4130::MessageIcon::Exclamation);
            },
            Qt::QueuedConnection);
    };
}

// The virtual board's window, beside the main window once the event loop runs
// (start-up creates the main window before it shows it).
std::unique_ptr<qv4130::VirtualBoardPanel> ShowPanel(qv4130::VirtualBoard& board,
                                                     const qv4130::LazyMainWindow& mainWindow) {
    auto panel = std::make_unique<qv4130::VirtualBoardPanel>(board);
    QTimer::singleShot(0, panel.get(), [panel = panel.get(), &mainWindow] {
        if (const QWidget* anchor = mainWindow.Loaded()) {
            panel->ShowBeside(*anchor);
        } else {
            panel->show();
        }
    });
    return panel;
}

} // namespace

int main(int argc, char** argv) {
    switch (qv4130::FindInfoRequest(argc, argv)) {
    case qv4130::InfoRequest::Help:
        std::cout << qv4130::UsageText();
        return EXIT_SUCCESS;
    case qv4130::InfoRequest::Version:
        std::cout << qv4130::VersionText() << '\n';
        return EXIT_SUCCESS;
    case qv4130::InfoRequest::None:
        break;
    }

    const std::optional<std::string> tracePath = qv4130::TracePath(argc, argv);
    if (tracePath && tracePath->empty()) {
        std::cerr << "qv4130: --trace needs a file name\n\n" << qv4130::UsageText();
        return 2;
    }

    std::optional<qv4130::scpi::ListenAddress> listen;
    if (const auto listenText = qv4130::ListenText(argc, argv)) {
        listen = qv4130::scpi::ParseListenAddress(*listenText);
        if (!listen) {
            std::cerr << "qv4130: --listen takes [ADDR:]PORT, ADDR an IP address or localhost\n\n"
                      << qv4130::UsageText();
            return 2;
        }
    }

    // Before QApplication takes its own options out of argv, and after the trace's
    // file name and the listening address are out of it, so the toolkit never
    // reads them as options.
    const std::string argumentText = qv4130::ArgumentText(argc, argv);
    argc = qv4130::RemoveValueOptions(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(qv4130::identity::Title));
    QApplication::setOrganizationName(QString::fromLatin1(qv4130::identity::CompanyName));
    QApplication::setWindowIcon(qv4130::ApplicationIcon());
    // The run ends when Main returns, not when the last box of start-up closes.
    QApplication::setQuitOnLastWindowClosed(false);

    qv4130::QtMessageSink messages;
    const std::unique_ptr<qv4130::PortLibrary> chosenLibrary =
        MakePortLibrary(qv4130::WantsVirtualBoard(argc, argv), messages);
    qv4130::SharedState state;
    // In front of whichever library was chosen, so both are traced alike.
    const std::unique_ptr<qv4130::TracedPortLibrary> trace =
        tracePath ? qv4130::StartTrace(*chosenLibrary, state, *tracePath, std::cerr,
                                       ShowTraceFailureLater(messages))
                  : nullptr;
    qv4130::PortLibrary& library = trace ? *trace : *chosenLibrary;
    // Quit ends the process at once, as without a trace, once the file is complete.
    qv4130::MainFormHooks hooks;
    if (trace) {
        hooks.quit = [&trace] { trace->FinishAndExit(EXIT_SUCCESS); };
    }

    // SCPI clients drive the same library and the same state as the windows, from
    // the same event loop, so the windows refuse Mode 1/2 after "OUTPut OFF" too.
    qv4130::scpi::InstrumentOptions instrumentOptions;
    if (const auto* board = dynamic_cast<const qv4130::VirtualBoard*>(chosenLibrary.get())) {
        instrumentOptions.chipCode = [board](int channel) {
            return int{board->Chip().Code(channel)};
        };
    }
    qv4130::scpi::Instrument instrument(library, state, std::move(instrumentOptions));
    qv4130::scpi::Interpreter interpreter(instrument);
    qv4130::scpi::ScpiServer server(interpreter);
    QObject::connect(&server, &qv4130::scpi::ScpiServer::Failed, [](const QString& reason) {
        std::cerr << "qv4130: " << reason.toStdString() << std::endl;
    });
    // Serving, it may be stopped by a service manager or Ctrl+C: it ends as its
    // Quit button ends it, the trace completed, once the clients are let go.
    std::optional<qv4130::scpi::StopSignals> stop;
    if (listen) {
        stop.emplace();
        QObject::connect(&*stop, &qv4130::scpi::StopSignals::Stop, [&server, &hooks] {
            server.Close();
            if (hooks.quit) {
                hooks.quit();
            }
            std::_Exit(EXIT_SUCCESS);
        });
    }

    qv4130::HostRegistry registry;
    qv4130::HostFileFinder files;
    qv4130::HostProgramStarter programs;
    const qv4130::SystemInformationHost sysInfo{registry, files, programs, messages};
    qv4130::LazyMainWindow mainWindow([&] {
        auto form = std::make_unique<qv4130::MainForm>(
            library, state, messages,
            qv4130::ProgramChildWindows(library, state, messages, sysInfo), hooks);
        // Start-up has found the port and loaded the window by now; listening
        // writes nothing, and clients are served once the window's events run.
        if (listen && qv4130::scpi::StartServing(server, *listen, "qv4130", std::cout, std::cerr)) {
            QObject::connect(&server, &qv4130::scpi::ScpiServer::LineExecuted, form.get(),
                             [shown = form.get()] { shown->ShowSharedState(); });
        }
        return form;
    });

    std::unique_ptr<qv4130::VirtualBoardPanel> panel;
    if (auto* board = dynamic_cast<qv4130::VirtualBoard*>(chosenLibrary.get())) {
        panel = ShowPanel(*board, mainWindow);
    }
    const std::unique_ptr<qv4130::OsVersionSource> osVersion = qv4130::MakeHostOsVersionSource();

    qv4130::StartupContext context{library,    state,        messages, *osVersion,
                                   mainWindow, argumentText, {}};
    qv4130::Main(context);
    return EXIT_SUCCESS;
}
