#include "ScpiServer.h"

#include "ListenAddress.h"
#include "ScpiConnection.h"

#include <QElapsedTimer>

#include <algorithm>
#include <exception>

namespace qv4130::scpi {

namespace {

// Room for a burst of clients connecting at once while the loop is busy.
constexpr int ListenBacklog = 512;
// Connections taken per wake-up, so a burst doesn't hold up the clients already in.
constexpr int AcceptsPerWake = 64;
// Commands run before the event loop gets its turn again.
constexpr qint64 TurnBudgetNs = 2'000'000;
// How soon to try again to accept when the process ran out of descriptors.
constexpr int AcceptRetryMs = 200;

net::Endpoint ToEndpoint(const QHostAddress& host, quint16 port) {
    net::Endpoint endpoint;
    endpoint.port = port;
    endpoint.ipv6 = host.protocol() == QAbstractSocket::IPv6Protocol;
    if (endpoint.ipv6) {
        const Q_IPV6ADDR bytes = host.toIPv6Address();
        std::copy(std::begin(bytes.c), std::end(bytes.c), endpoint.address.begin());
    } else {
        const quint32 ip4 = host.toIPv4Address();
        endpoint.address = {static_cast<std::uint8_t>(ip4 >> 24),
                            static_cast<std::uint8_t>(ip4 >> 16),
                            static_cast<std::uint8_t>(ip4 >> 8), static_cast<std::uint8_t>(ip4)};
    }
    return endpoint;
}

// "127.0.0.1:40512", for messages about one client.
QString PeerOf(const net::Socket& socket) {
    const std::optional<net::Endpoint> peer = net::PeerEndpoint(socket);
    if (!peer) {
        return QStringLiteral("a client");
    }
    const QHostAddress host =
        peer->ipv6
            ? QHostAddress(peer->address.data())
            : QHostAddress(static_cast<quint32>(peer->address[0] << 24 | peer->address[1] << 16 |
                                                peer->address[2] << 8 | peer->address[3]));
    return DescribeListenAddress(host, peer->port);
}

} // namespace

ScpiServer::ScpiServer(CommandHandler& handler, ServerLimits limits, QObject* parent)
    : QObject(parent), handler_(handler), limits_(limits) {
    turn_.setInterval(0);
    turn_.setSingleShot(true);
    connect(&turn_, &QTimer::timeout, this, &ScpiServer::RunTurn);
    resumeAccepting_.setInterval(AcceptRetryMs);
    resumeAccepting_.setSingleShot(true);
    connect(&resumeAccepting_, &QTimer::timeout, this, [this] {
        if (acceptor_) {
            acceptor_->setEnabled(true);
        }
    });
}

ScpiServer::~ScpiServer() {
    Close();
}

bool ScpiServer::Listen(const QHostAddress& host, quint16 port) {
    Result<net::Socket> listener = net::Listen(ToEndpoint(host, port), ListenBacklog);
    if (!listener) {
        error_ = QString::fromStdString(listener.Error());
        return false;
    }
    listener_ = std::move(*listener);
    port_ = net::LocalEndpoint(listener_).value_or(net::Endpoint{}).port;
    acceptor_.emplace(static_cast<qintptr>(listener_.Get()), QSocketNotifier::Read);
    connect(&*acceptor_, &QSocketNotifier::activated, this, &ScpiServer::AcceptConnections);
    return true;
}

void ScpiServer::Close() {
    acceptor_.reset();
    listener_.Close();
    resumeAccepting_.stop();
    turn_.stop();
    ready_.clear();
    scheduled_.clear();
    // Owned as children: deleting them closes their sockets.
    for (ScpiConnection* connection : std::exchange(connections_, {})) {
        connection->disconnect(this);
        delete connection;
    }
}

void ScpiServer::AcceptConnections() {
    for (int i = 0; i < AcceptsPerWake; ++i) {
        net::Socket socket = net::Accept(listener_);
        if (socket.IsOpen()) {
            toldNoDescriptors_ = false;
            Admit(std::move(socket));
            continue;
        }
        const net::SocketError error = net::LastError();
        if (error.WouldBlock()) {
            return;
        }
        if (error.OutOfResources()) {
            PauseAccepting(error);
            return;
        }
        // EINTR, or a client that gave up before it was taken (ECONNABORTED): next.
    }
}

// The listening socket stays readable while connections wait: accepting again
// at once would spin. Wait until a client leaves, or a little while.
void ScpiServer::PauseAccepting(const net::SocketError& error) {
    acceptor_->setEnabled(false);
    resumeAccepting_.start();
    if (!toldNoDescriptors_) {
        toldNoDescriptors_ = true;
        emit Notice(QStringLiteral("can't take more clients now (%1); new ones wait until one "
                                   "leaves")
                        .arg(QString::fromStdString(error.Text())));
    }
}

void ScpiServer::Admit(net::Socket socket) {
    if (ConnectionCount() >= limits_.maxClients) {
        static constexpr char refusal[] =
            "-300,\"Device-specific error;too many clients, try again later\"\n";
        // Best effort: a fresh socket's buffer has room, and the client goes either way.
        (void)!net::Send(socket, {refusal, sizeof refusal - 1});
        net::Shutdown(socket);
        if (!toldFull_) {
            toldFull_ = true;
            emit Notice(QStringLiteral("%1 clients connected, the most taken: refusing more")
                            .arg(limits_.maxClients));
        }
        return;
    }
    toldFull_ = false;
    const QString peer = PeerOf(socket);
    auto* connection =
        new ScpiConnection(std::move(socket), peer, limits_, handler_.NewSession(), this);
    connections_.insert(connection);
    connect(connection, &ScpiConnection::Readied, this, &ScpiServer::Schedule);
    connect(connection, &ScpiConnection::Closed, this, &ScpiServer::Forget);
}

void ScpiServer::Schedule(ScpiConnection* connection) {
    if (failed_ || !scheduled_.insert(connection).second) {
        return;
    }
    ready_.push_back(connection);
    if (!turn_.isActive()) {
        turn_.start();
    }
}

void ScpiServer::Forget(ScpiConnection* connection, const QString& why) {
    if (!why.isEmpty()) {
        emit Notice(why);
    }
    connections_.erase(connection);
    scheduled_.erase(connection);
    std::erase(ready_, connection);
    connection->deleteLater();
    // A descriptor is free again.
    if (acceptor_ && !acceptor_->isEnabled()) {
        resumeAccepting_.stop();
        acceptor_->setEnabled(true);
    }
}

void ScpiServer::RunTurn() {
    QElapsedTimer spent;
    spent.start();
    while (!ready_.empty() && !failed_ && spent.nsecsElapsed() < TurnBudgetNs) {
        ScpiConnection* connection = ready_.front();
        ready_.pop_front();
        scheduled_.erase(connection);
        if (!connection->Ready()) {
            continue;
        }
        try {
            if (connection->RunNextCommand(handler_)) {
                emit LineExecuted();
            }
        } catch (const std::exception& error) {
            // Only a broken port library throws: report it, carry out nothing more.
            failed_ = true;
            emit Failed(QString::fromLocal8Bit(error.what()));
            return;
        }
        if (connection->Ready()) {
            Schedule(connection);
        }
    }
    if (!ready_.empty() && !failed_) {
        turn_.start();
    }
}

} // namespace qv4130::scpi
