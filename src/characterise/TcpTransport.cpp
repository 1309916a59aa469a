#include "TcpTransport.h"

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

namespace qv4130::characterise {

namespace {

struct AddressListDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Waits for `events` on `socket`; false when the time ran out.
bool WaitFor(int socket, short events, std::chrono::milliseconds timeout) {
    pollfd entry{socket, events, 0};
    int ready = 0;
    do {
        ready = poll(&entry, 1, static_cast<int>(timeout.count()));
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) {
        throw TransportError(SystemError("poll"));
    }
    return ready > 0;
}

// A non-blocking connect that gives up after `timeout`; not open, with errno
// set, when it failed.
FileDescriptor ConnectOne(const addrinfo& address, std::chrono::milliseconds timeout) {
    FileDescriptor fd(
        socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC, address.ai_protocol));
    if (!fd.IsOpen()) {
        return fd;
    }
    fcntl(fd.Get(), F_SETFL, fcntl(fd.Get(), F_GETFL) | O_NONBLOCK);
    int error = 0;
    if (connect(fd.Get(), address.ai_addr, address.ai_addrlen) != 0 && errno != EINPROGRESS) {
        error = errno;
    } else if (!WaitFor(fd.Get(), POLLOUT, timeout)) {
        error = ETIMEDOUT;
    } else {
        socklen_t length = sizeof error;
        getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &error, &length);
    }
    if (error != 0) {
        errno = error;
        return FileDescriptor();
    }
    // One short query per reading: send it now rather than wait for more.
    const int on = 1;
    setsockopt(fd.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

} // namespace

TcpTransport::TcpTransport(const std::string& host, std::uint16_t port,
                           std::chrono::milliseconds timeout)
    : sendTimeout_(timeout) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int status = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
        status != 0) {
        throw TransportError(std::string("cannot find the host: ") + gai_strerror(status));
    }
    const std::unique_ptr<addrinfo, AddressListDeleter> list(found);
    for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
        socket_ = ConnectOne(*address, timeout);
        if (socket_.IsOpen()) {
            return;
        }
    }
    throw TransportError(SystemError("cannot connect"));
}

void TcpTransport::Send(std::string_view message) {
    std::string line(message);
    line += '\n';
    std::string_view rest = line;
    // A peer that stops reading fills the socket's buffers; then the rest of
    // the message waits for room, but no longer than a reply would be waited for.
    const auto deadline = std::chrono::steady_clock::now() + sendTimeout_;
    while (!rest.empty()) {
        const ssize_t sent = send(socket_.Get(), rest.data(), rest.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0 || !WaitFor(socket_.Get(), POLLOUT, left)) {
                    throw TransportError("took no message within " +
                                         std::to_string(sendTimeout_.count()) + " ms");
                }
                continue;
            }
            throw TransportError(SystemError("the connection broke"));
        }
        rest.remove_prefix(static_cast<std::size_t>(sent));
    }
}

std::string TcpTransport::Receive(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const auto end = pending_.find('\n'); end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !WaitFor(socket_.Get(), POLLIN, left)) {
            throw TransportError("no answer within " + std::to_string(timeout.count()) + " ms");
        }
        char buffer[4096];
        const ssize_t got = recv(socket_.Get(), buffer, sizeof buffer, 0);
        if (got == 0) {
            throw TransportError("the other end closed the connection");
        }
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
                continue;
            }
            throw TransportError(SystemError("the connection broke"));
        }
        pending_.append(buffer, static_cast<std::size_t>(got));
        if (pending_.size() > MaxReplyBytes && pending_.find('\n') == std::string::npos) {
            throw TransportError("sent " + std::to_string(pending_.size()) +
                                 " bytes without ending its line");
        }
    }
}

} // namespace qv4130::characterise
