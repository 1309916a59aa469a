#include "Serve.h"

#include "host/qt/ProgramLog.h"
#include "scpi/qt/StartServing.h"
#include "scpi/qt/StopSignals.h"

#include <QCoreApplication>

#include <iostream>

namespace qv4130::ctl {

int Serve(const ServedPort& board, const std::optional<ServedPort>& meter,
          const char* programPath) {
    // Qt sees only the program's path: the arguments are ours.
    int argc = 1;
    char* argv[] = {const_cast<char*>(programPath), nullptr};
    QCoreApplication app(argc, argv);

    scpi::ScpiServer server(board.handler);
    std::optional<scpi::ScpiServer> meterServer;
    // Stopped, the servers let their clients go and the caller completes the trace.
    scpi::StopSignals stop;
    QObject::connect(&stop, &scpi::StopSignals::Stop, &app, [&server, &meterServer] {
        server.Close();
        if (meterServer) {
            meterServer->Close();
        }
        QCoreApplication::exit(0);
    });
    if (!scpi::StartServing(server, board.address, "qv4130ctl", std::cout, ProgramReport())) {
        return 1;
    }
    if (meter) {
        meterServer.emplace(meter->handler);
        if (!scpi::StartServing(*meterServer, meter->address, "qv4130ctl (simulated meter)",
                                std::cout, ProgramReport())) {
            return 1;
        }
    }
    QObject::connect(&server, &scpi::ScpiServer::Failed, &app, [](const QString& reason) {
        ProgramReport()(reason.toStdString());
        QCoreApplication::exit(1);
    });
    return QCoreApplication::exec();
}

} // namespace qv4130::ctl
