#include "TcpTransport.h"

namespace qv4130::characterise {

namespace {

// Waits for the socket to be readable or writable; false when the time ran out.
bool Await(const net::Socket& socket, net::Wait what, std::chrono::milliseconds timeout) {
    if (net::WaitFor(socket, what, timeout)) {
        return true;
    }
    if (const net::SocketError error = net::LastError(); error.code != 0) {
        throw TransportError("poll: " + error.Text());
    }
    return false;
}

} // namespace

TcpTransport::TcpTransport(const std::string& host, std::uint16_t port,
                           std::chrono::milliseconds timeout)
    : sendTimeout_(timeout) {
    Result<net::Socket> socket = net::Connect(host, port, timeout);
    if (!socket) {
        throw TransportError(socket.Error());
    }
    socket_ = std::move(*socket);
}

void TcpTransport::Send(std::string_view message) {
    std::string line(message);
    line += '\n';
    std::string_view rest = line;
    // A peer that stops reading fills the socket's buffers; then the rest of
    // the message waits for room, but no longer than a reply would be waited for.
    const auto deadline = std::chrono::steady_clock::now() + sendTimeout_;
    while (!rest.empty()) {
        const std::ptrdiff_t sent = net::Send(socket_, rest);
        if (sent < 0) {
            const net::SocketError error = net::LastError();
            if (error.Interrupted()) {
                continue;
            }
            if (error.WouldBlock()) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0 || !Await(socket_, net::Wait::Writable, left)) {
                    throw TransportError("took no message within " +
                                         std::to_string(sendTimeout_.count()) + " ms");
                }
                continue;
            }
            throw TransportError("the connection broke: " + error.Text());
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
        if (left.count() <= 0 || !Await(socket_, net::Wait::Readable, left)) {
            throw TransportError("no answer within " + std::to_string(timeout.count()) + " ms");
        }
        char buffer[4096];
        const std::ptrdiff_t got = net::Receive(socket_, buffer, sizeof buffer);
        if (got == 0) {
            throw TransportError("the other end closed the connection");
        }
        if (got < 0) {
            if (const net::SocketError error = net::LastError();
                !error.Interrupted() && !error.WouldBlock()) {
                throw TransportError("the connection broke: " + error.Text());
            }
            continue;
        }
        pending_.append(buffer, static_cast<std::size_t>(got));
        if (pending_.size() > MaxReplyBytes && pending_.find('\n') == std::string::npos) {
            throw TransportError("sent " + std::to_string(pending_.size()) +
                                 " bytes without ending its line");
        }
    }
}

} // namespace qv4130::characterise
