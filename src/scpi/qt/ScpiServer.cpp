#include "ScpiServer.h"

#include "scpi/LineFramer.h"

#include <QTcpSocket>

#include <exception>
#include <memory>

namespace qv4130::scpi {

ScpiServer::ScpiServer(Interpreter& interpreter, QObject* parent)
    : QObject(parent), interpreter_(interpreter) {
    connect(&server_, &QTcpServer::newConnection, this, &ScpiServer::AcceptConnections);
}

bool ScpiServer::Listen(const QHostAddress& address, quint16 port) {
    return server_.listen(address, port);
}

void ScpiServer::AcceptConnections() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        // Owned by the server until the client goes; the framer lives as long as
        // the connection that holds it.
        ++connections_;
        auto framer = std::make_shared<LineFramer>(MaxLineBytes);
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket, framer] { Serve(*socket, *framer); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this] { --connections_; });
    }
}

void ScpiServer::Serve(QTcpSocket& socket, LineFramer& framer) {
    const QByteArray bytes = socket.readAll();
    std::string out;
    framer.Feed(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
        [&](std::string_view line) {
            if (failed_) {
                return;
            }
            replies_.clear();
            try {
                interpreter_.ExecuteLine(line, replies_);
            } catch (const std::exception& error) {
                // Only a broken port library throws: report it, carry out nothing more.
                failed_ = true;
                emit Failed(QString::fromLocal8Bit(error.what()));
                return;
            }
            for (std::size_t i = 0; i < replies_.size(); ++i) {
                out += replies_[i];
                out += i + 1 < replies_.size() ? ';' : '\n';
            }
            emit LineExecuted();
        },
        [this] { interpreter_.ReportError(ScpiError::TooMuchData); });
    if (!out.empty()) {
        socket.write(out.data(), static_cast<qint64>(out.size()));
    }
}

} // namespace qv4130::scpi
