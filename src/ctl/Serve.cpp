#include "Serve.h"

#include "scpi/qt/ScpiServer.h"

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
    const std::string asked = scpi::DescribeListenAddress(address.host, address.port).toStdString();
    if (!server.Listen(address.host, address.port)) {
        std::cerr << "qv4130ctl: can't listen on " << asked << ": "
                  << server.ErrorString().toStdString() << std::endl;
        return 1;
    }
    if (!address.host.isLoopback()) {
        std::cerr << "qv4130ctl: warning: listening on " << asked
                  << ": anyone who can reach this address can drive the board" << std::endl;
    }
    QObject::connect(&server, &scpi::ScpiServer::Failed, &app, [](const QString& reason) {
        std::cerr << "qv4130ctl: " << reason.toStdString() << std::endl;
        QCoreApplication::exit(1);
    });
    std::cout << "qv4130ctl: serving SCPI on "
              << scpi::DescribeListenAddress(address.host, server.Port()).toStdString()
              << std::endl;
    return QCoreApplication::exec();
}

} // namespace qv4130::ctl
