#include "StartServing.h"

namespace qv4130::scpi {

bool StartServing(ScpiServer& server, const ListenAddress& address, std::string_view program,
                  std::ostream& out, const Report& report) {
    const std::string asked = DescribeListenAddress(address.host, address.port).toStdString();
    if (!server.Listen(address.host, address.port)) {
        report("can't listen on " + asked + ": " + server.ErrorString().toStdString());
        return false;
    }
    if (!address.host.isLoopback()) {
        report("warning: listening on " + asked +
               ": anyone who can reach this address can drive the board");
    }
    QObject::connect(&server, &ScpiServer::Notice, &server,
                     [report](const QString& message) { report(message.toStdString()); });
    out << program << ": serving SCPI on "
        << DescribeListenAddress(address.host, server.Port()).toStdString() << std::endl;
    return true;
}

} // namespace qv4130::scpi
