#pragma once

#include "scpi/Interpreter.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <string>
#include <vector>

class QTcpSocket;

namespace qv4130::scpi {

class LineFramer;

// SCPI over TCP, one newline-terminated line of commands at a time, from any
// number of clients at once. It runs on the event loop of the thread that made
// it, and so does every command: lines are carried out one at a time, whole, in
// the order they arrived, and no other thread ever reaches the port. Replies to
// the queries of one line go back as one line, separated by ';'. A half line
// left by a client that goes away is dropped unrun.
class ScpiServer final : public QObject {
    Q_OBJECT

public:
    explicit ScpiServer(Interpreter& interpreter, QObject* parent = nullptr);

    // Port 0 picks a free port; Port() then tells which.
    bool Listen(const QHostAddress& address, quint16 port);
    quint16 Port() const { return server_.serverPort(); }
    QString ErrorString() const { return server_.errorString(); }

    int ConnectionCount() const { return connections_; }

signals:
    // After every line a client sent: the board or the power flag may have changed.
    void LineExecuted();
    // The port library broke under a command; nothing more is carried out.
    void Failed(const QString& reason);

private:
    void AcceptConnections();
    void Serve(QTcpSocket& socket, LineFramer& framer);

    Interpreter& interpreter_;
    QTcpServer server_;
    std::vector<std::string> replies_;
    int connections_ = 0;
    bool failed_ = false;
};

} // namespace qv4130::scpi
