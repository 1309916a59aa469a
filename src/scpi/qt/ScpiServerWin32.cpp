#include "ScpiServer.h"

namespace qv4130::scpi {

// The server's sockets are POSIX ones, not built for Windows yet: there it
// refuses to listen, and the program says so and carries on without it.
ScpiServer::ScpiServer(CommandHandler& handler, ServerLimits limits, QObject* parent)
    : QObject(parent), handler_(handler), limits_(limits) {}

ScpiServer::~ScpiServer() = default;

bool ScpiServer::Listen(const QHostAddress&, quint16) {
    error_ = QStringLiteral("serving SCPI is not in the Windows build yet");
    return false;
}

void ScpiServer::Close() {}

} // namespace qv4130::scpi
