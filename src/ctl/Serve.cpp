#include "Serve.h"

#include "host/qt/ProgramLog.h"
#include "scpi/qt/StartServing.h"
#include "scpi/qt/StopSignals.h"

#include <QCoreApplication>

#include <iostream>

namespace qv4130::ctl {

int Serve(scpi::Interpreter& interpreter, const scpi::ListenAddress& address,
          const char* programPath) {
    // Qt sees only the program's path: the arguments are ours.
    int argc = 1;
    char* argv[] = {const_cast<char*>(programPath), nullptr};
    QCoreApplication app(argc, argv);

    scpi::ScpiServer server(interpreter);
    // Stopped, the server lets its clients go and the caller completes the trace.
    scpi::StopSignals stop;
    QObject::connect(&stop, &scpi::StopSignals::Stop, &app, [&server] {
        server.Close();
        QCoreApplication::exit(0);
    });
    if (!scpi::StartServing(server, address, "qv4130ctl", std::cout, ProgramReport())) {
        return 1;
    }
    QObject::connect(&server, &scpi::ScpiServer::Failed, &app, [](const QString& reason) {
        ProgramReport()(reason.toStdString());
        QCoreApplication::exit(1);
    });
    return QCoreApplication::exec();
}

} // namespace qv4130::ctl
