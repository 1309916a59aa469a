#if !defined(_WIN32)
#include "Socket.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "SocketAddress.h"

namespace qv4130::net {

namespace {

struct AddressListDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

Failure SystemFailure(const char* what) {
    return Failure{std::string(what) + ": " + std::strerror(errno)};
}

// A non-blocking connect that gives up after `timeout`; not open, with errno
// set, when it failed.
Socket ConnectOne(const addrinfo& address, std::chrono::milliseconds timeout) {
    Socket socket(::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                           address.ai_protocol));
    if (!socket.IsOpen()) {
        return socket;
    }
    int error = 0;
    if (::connect(socket.Get(), address.ai_addr, address.ai_addrlen) != 0 && errno != EINPROGRESS) {
        error = errno;
    } else if (!WaitFor(socket, Wait::Writable, timeout)) {
        error = errno == 0 ? ETIMEDOUT : errno;
    } else {
        socklen_t length = sizeof error;
        ::getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, &error, &length);
    }
    if (error != 0) {
        socket.Close();
        errno = error;
        return socket;
    }
    // One short query at a time: send it now rather than wait for more.
    const int on = 1;
    ::setsockopt(socket.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return socket;
}

std::optional<Endpoint> EndpointOf(int (*name)(int, sockaddr*, socklen_t*), const Socket& socket) {
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    if (name(socket.Get(), reinterpret_cast<sockaddr*>(&storage), &length) != 0) {
        return std::nullopt;
    }
    return FromSocketAddress(storage);
}

} // namespace

void Socket::Close() {
    if (IsOpen()) {
        ::close(std::exchange(handle_, Closed));
    }
}

bool SocketError::WouldBlock() const {
    return code == EAGAIN || code == EWOULDBLOCK;
}

bool SocketError::Interrupted() const {
    return code == EINTR;
}

bool SocketError::OutOfResources() const {
    return code == EMFILE || code == ENFILE || code == ENOBUFS || code == ENOMEM;
}

std::string SocketError::Text() const {
    return std::strerror(code);
}

SocketError LastError() {
    return {errno};
}

Result<Socket> Listen(const Endpoint& local, int backlog) {
    const SocketAddress address = ToSocketAddress(local);
    Socket listener(
        ::socket(address.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    // Another server that just stopped may leave connections in TIME_WAIT on
    // the port: that must not keep this one from listening there.
    const int on = 1;
    if (!listener.IsOpen() ||
        ::setsockopt(listener.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address.storage),
               address.length) != 0 ||
        ::listen(listener.Get(), backlog) != 0) {
        return Failure{std::strerror(errno)};
    }
    return listener;
}

Socket Accept(const Socket& listener) {
    return Socket(::accept4(listener.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
}

Result<Socket> Connect(const std::string& host, std::uint16_t port,
                       std::chrono::milliseconds timeout) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int status = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
        status != 0) {
        return Failure{std::string("cannot find the host: ") + ::gai_strerror(status)};
    }
    const std::unique_ptr<addrinfo, AddressListDeleter> list(found);
    for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
        if (Socket socket = ConnectOne(*address, timeout); socket.IsOpen()) {
            return socket;
        }
    }
    return SystemFailure("cannot connect");
}

std::optional<Endpoint> LocalEndpoint(const Socket& socket) {
    return EndpointOf(::getsockname, socket);
}

std::optional<Endpoint> PeerEndpoint(const Socket& socket) {
    return EndpointOf(::getpeername, socket);
}

std::ptrdiff_t Send(const Socket& socket, std::string_view bytes) {
    return ::send(socket.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

std::ptrdiff_t Receive(const Socket& socket, char* buffer, std::size_t size) {
    return ::recv(socket.Get(), buffer, size, 0);
}

bool WaitFor(const Socket& socket, Wait what, std::chrono::milliseconds timeout) {
    pollfd entry{socket.Get(), static_cast<short>(what == Wait::Readable ? POLLIN : POLLOUT), 0};
    int ready = 0;
    do {
        errno = 0;
        ready = ::poll(&entry, 1, static_cast<int>(timeout.count()));
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

bool HandleException(const Socket& socket) {
    pollfd watched{socket.Get(), POLLPRI, 0};
    if (::poll(&watched, 1, 0) <= 0) {
        return false;
    }
    if ((watched.revents & (POLLERR | POLLHUP)) != 0) {
        return true;
    }
    if ((watched.revents & POLLPRI) != 0) {
        char urgent = 0;
        (void)!::recv(socket.Get(), &urgent, 1, MSG_OOB | MSG_DONTWAIT);
    }
    return false;
}

void Shutdown(const Socket& socket) {
    ::shutdown(socket.Get(), SHUT_RDWR);
}

} // namespace qv4130::net
#endif
