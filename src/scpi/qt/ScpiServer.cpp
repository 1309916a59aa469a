#include "ScpiServer.h"

#include "ListenAddress.h"
#include "ScpiConnection.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <exception>
#include <netinet/in.h>
#include <sys/socket.h>

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

QString SystemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;
};

SocketAddress ToSocketAddress(const QHostAddress& host, quint16 port) {
    SocketAddress address;
    if (host.protocol() == QAbstractSocket::IPv6Protocol) {
        auto& in6 = reinterpret_cast<sockaddr_in6&>(address.storage);
        in6.sin6_family = AF_INET6;
        in6.sin6_port = htons(port);
        const Q_IPV6ADDR bytes = host.toIPv6Address();
        std::memcpy(&in6.sin6_addr, bytes.c, sizeof bytes.c);
        address.length = sizeof in6;
    } else {
        auto& in4 = reinterpret_cast<sockaddr_in&>(address.storage);
        in4.sin_family = AF_INET;
        in4.sin_port = htons(port);
        in4.sin_addr.s_addr = htonl(host.toIPv4Address());
        address.length = sizeof in4;
    }
    return address;
}

// "127.0.0.1:40512", for messages about one client.
QString PeerOf(int socket) {
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&storage), &length) != 0) {
        return QStringLiteral("a client");
    }
    QHostAddress host(reinterpret_cast<const sockaddr*>(&storage));
    const quint16 port = storage.ss_family == AF_INET6
                             ? ntohs(reinterpret_cast<const sockaddr_in6&>(storage).sin6_port)
                             : ntohs(reinterpret_cast<const sockaddr_in&>(storage).sin_port);
    return DescribeListenAddress(host, port);
}

bool OutOfDescriptors(int error) {
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
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
    const SocketAddress address = ToSocketAddress(host, port);
    FileDescriptor listener(
        ::socket(address.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int on = 1;
    if (!listener.IsOpen() ||
        ::setsockopt(listener.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address.storage),
               address.length) != 0 ||
        ::listen(listener.Get(), ListenBacklog) != 0) {
        error_ = SystemText(errno);
        return false;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&bound), &length);
    port_ = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6&>(bound).sin6_port)
                                        : ntohs(reinterpret_cast<sockaddr_in&>(bound).sin_port);
    listener_ = std::move(listener);
    acceptor_.emplace(listener_.Get(), QSocketNotifier::Read);
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
        const int socket =
            ::accept4(listener_.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (socket >= 0) {
            toldNoDescriptors_ = false;
            Admit(FileDescriptor(socket));
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return;
        }
        if (OutOfDescriptors(errno)) {
            PauseAccepting(errno);
            return;
        }
        // EINTR, or a client that gave up before it was taken (ECONNABORTED): next.
    }
}

// The listening socket stays readable while connections wait: accepting again
// at once would spin. Wait until a client leaves, or a little while.
void ScpiServer::PauseAccepting(int error) {
    acceptor_->setEnabled(false);
    resumeAccepting_.start();
    if (!toldNoDescriptors_) {
        toldNoDescriptors_ = true;
        emit Notice(QStringLiteral("can't take more clients now (%1); new ones wait until one "
                                   "leaves")
                        .arg(SystemText(error)));
    }
}

void ScpiServer::Admit(FileDescriptor socket) {
    if (ConnectionCount() >= limits_.maxClients) {
        static constexpr char refusal[] =
            "-300,\"Device-specific error;too many clients, try again later\"\n";
        // Best effort: a fresh socket's buffer has room, and the client goes either way.
        (void)!::send(socket.Get(), refusal, sizeof refusal - 1, MSG_DONTWAIT | MSG_NOSIGNAL);
        ::shutdown(socket.Get(), SHUT_RDWR);
        if (!toldFull_) {
            toldFull_ = true;
            emit Notice(QStringLiteral("%1 clients connected, the most taken: refusing more")
                            .arg(limits_.maxClients));
        }
        return;
    }
    toldFull_ = false;
    const QString peer = PeerOf(socket.Get());
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
