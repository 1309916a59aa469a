#include "StartServing.h"

namespace qv4130::scpi {

bool StartServing(ScpiServer& server, const ListenAddress& address, std::string_view program,
                  std::ostream& out, std::ostream& errors) {
    const std::string asked = DescribeListenAddress(address.host, address.port).toStdString();
    if (!server.Listen(address.host, address.port)) {
        errors << program << ": can't listen on " << asked << ": "
               << server.ErrorString().toStdString() << std::endl;
        return false;
    }
    if (!address.host.isLoopback()) {
        errors << program << ": warning: listening on " << asked
               << ": anyone who can reach this address can drive the board" << std::endl;
    }
    QObject::connect(&server, &ScpiServer::Notice, &server,
                     [&errors, name = std::string(program)](const QString& message) {
                         errors << name << ": " << message.toStdString() << std::endl;
                     });
    out << program << ": serving SCPI on "
        << DescribeListenAddress(address.host, server.Port()).toStdString() << std::endl;
    return true;
}

} // namespace qv4130::scpi
