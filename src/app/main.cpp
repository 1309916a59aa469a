// qv4130: exercises a QV4130 evaluation board on the PC's printer port.

#include "board/Declare.h"
#include "board/DynamicPortLibrary.h"
#include "board/GuardedPortLibrary.h"
#include "board/SharedState.h"
#include "host/AppIdentity.h"
#include "host/CommandLine.h"
#include "host/OsVersion.h"
#include "host/qt/QtMessageSink.h"
#include "ui/ChildWindows.h"
#include "ui/LazyMainWindow.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

namespace {

// The one place the port library is chosen.
std::unique_ptr<qv4130::PortLibrary> MakePortLibrary() {
    return std::make_unique<qv4130::DynamicPortLibrary>();
}

// A missing port library or function: say which and why, then end with status 1.
// The run ends on the spot, as Quit does, since this may be deep inside a handler.
[[noreturn]] void EndForPortLibrary(const qv4130::PortLibraryError& error,
                                    qv4130::MessageSink& messages) {
    qv4130::ReportPortLibraryFailure(error, messages, std::cerr);
    std::_Exit(EXIT_FAILURE);
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

    // Before QApplication takes its own options out of argv.
    const std::string argumentText = qv4130::ArgumentText(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(qv4130::identity::Title));
    QApplication::setOrganizationName(QString::fromLatin1(qv4130::identity::CompanyName));
    // The run ends when Main returns, not when the last box of start-up closes.
    QApplication::setQuitOnLastWindowClosed(false);

    qv4130::QtMessageSink messages;
    const std::unique_ptr<qv4130::PortLibrary> chosenLibrary = MakePortLibrary();
    qv4130::GuardedPortLibrary library(
        *chosenLibrary,
        [&messages](const qv4130::PortLibraryError& error) { EndForPortLibrary(error, messages); });

    qv4130::SharedState state;
    const qv4130::ChildWindows children;
    qv4130::LazyMainWindow mainWindow(library, state, messages, children);
    const std::unique_ptr<qv4130::OsVersionSource> osVersion = qv4130::MakeHostOsVersionSource();

    qv4130::StartupContext context{library,    state,        messages, *osVersion,
                                   mainWindow, argumentText, {}};
    qv4130::Main(context);
    return EXIT_SUCCESS;
}
