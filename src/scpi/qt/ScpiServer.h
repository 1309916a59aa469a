#pragma once

#include "ServerLimits.h"
#include "net/Socket.h"
#include "scpi/CommandHandler.h"
#include "scpi/Interpreter.h"

#include <QHostAddress>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>
#include <unordered_set>

namespace qv4130::scpi {

class ScpiConnection;

// SCPI over TCP, one newline-terminated line of commands at a time, from any
// number of clients at once. It runs on the event loop of the thread that made
// it, and so does every command: no other thread ever reaches the port.
//
// Clients take turns a command at a time, so one that floods never starves the
// others nor the windows on the same event loop: a turn runs commands round
// the clients until a couple of milliseconds are spent, then lets the loop run.
// A client's own commands run in the order sent, and the replies to the
// queries of one line go back as one line, separated by ';'. Commands of other
// clients may run between two commands of one line: the board is shared.
class ScpiServer final : public QObject {
    Q_OBJECT

public:
    explicit ScpiServer(CommandHandler& handler, ServerLimits limits = {},
                        QObject* parent = nullptr);
    ~ScpiServer() override;

    // Port 0 picks a free port; Port() then tells which.
    bool Listen(const QHostAddress& address, quint16 port);
    quint16 Port() const { return port_; }
    QString ErrorString() const { return error_; }
    // Stops accepting and closes every client; nothing more is carried out.
    void Close();

    int ConnectionCount() const { return static_cast<int>(connections_.size()); }

signals:
    // After every line a client sent: the board or the power flag may have changed.
    void LineExecuted();
    // The port library broke under a command; nothing more is carried out.
    void Failed(const QString& reason);
    // Something the operator should know (a client dropped, clients refused).
    void Notice(const QString& message);

private:
    void AcceptConnections();
    void Admit(net::Socket socket);
    void PauseAccepting(const net::SocketError& error);
    void Schedule(ScpiConnection* connection);
    void Forget(ScpiConnection* connection, const QString& why);
    void RunTurn();

    CommandHandler& handler_;
    ServerLimits limits_;
    net::Socket listener_;
    std::optional<QSocketNotifier> acceptor_;
    quint16 port_ = 0;
    QString error_;
    QTimer resumeAccepting_;
    bool toldNoDescriptors_ = false;
    bool toldFull_ = false;
    std::unordered_set<ScpiConnection*> connections_;
    // Clients with a command waiting, in turn order; each at most once.
    std::deque<ScpiConnection*> ready_;
    std::unordered_set<ScpiConnection*> scheduled_;
    QTimer turn_;
    bool failed_ = false;
};

} // namespace qv4130::scpi
