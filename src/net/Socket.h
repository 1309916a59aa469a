#pragma once

#include "qv4130/Result.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace qv4130::net {

// A stream socket's handle as the host's socket calls take it: a descriptor on
// POSIX, a SOCKET on Windows.
#if defined(_WIN32)
using NativeSocket = std::uintptr_t;
#else
using NativeSocket = int;
#endif

// Owns a socket and closes it once. Every socket made here is non-blocking
// and is not inherited by programs started from this one.
class Socket {
public:
    Socket() = default;
    explicit Socket(NativeSocket handle) : handle_(handle) {}
    ~Socket() { Close(); }
    Socket(Socket&& other) noexcept : handle_(std::exchange(other.handle_, Closed)) {}
    Socket& operator=(Socket&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    NativeSocket Get() const { return handle_; }
    bool IsOpen() const { return handle_ != Closed; }
    void Close();

private:
#if defined(_WIN32)
    static constexpr NativeSocket Closed = ~NativeSocket{0}; // INVALID_SOCKET
#else
    static constexpr NativeSocket Closed = -1;
#endif
    NativeSocket handle_ = Closed;
};

// An IPv4 or IPv6 address and port; an IPv4 address fills the first 4 bytes.
struct Endpoint {
    bool ipv6 = false;
    std::array<std::uint8_t, 16> address{};
    std::uint16_t port = 0;
};

// What a socket call that did not do its work tells its caller, from the
// host's own error code.
struct SocketError {
    int code = 0;

    bool WouldBlock() const;     // nothing to read or no room to write, now
    bool Interrupted() const;    // a signal came first: try again
    bool OutOfResources() const; // no descriptor or buffer left for another socket
    std::string Text() const;
};

// The error of this thread's last socket call.
SocketError LastError();

// A listening socket on `local`; port 0 takes a free one.
Result<Socket> Listen(const Endpoint& local, int backlog);
// A waiting client, or nothing (LastError() tells why: WouldBlock when none waits).
Socket Accept(const Socket& listener);
// Connects to `host`:`port` by name or number within `timeout`; Nagle's delay off.
Result<Socket> Connect(const std::string& host, std::uint16_t port,
                       std::chrono::milliseconds timeout);

std::optional<Endpoint> LocalEndpoint(const Socket& socket);
std::optional<Endpoint> PeerEndpoint(const Socket& socket);

// Bytes sent or received, or -1 (LastError() tells why). A peer that has gone
// fails a send with an error, never with a signal that ends the program.
// Receive gives 0 when the peer will send no more.
std::ptrdiff_t Send(const Socket& socket, std::string_view bytes);
std::ptrdiff_t Receive(const Socket& socket, char* buffer, std::size_t size);

enum class Wait { Readable, Writable };
// True when the socket became readable or writable within `timeout`; false
// when the time ran out (LastError() is then 0) or the wait itself failed.
bool WaitFor(const Socket& socket, Wait what, std::chrono::milliseconds timeout);
// What an event loop's exception notice on the socket meant: true when the
// peer reset the connection or hung up. Urgent data, which means nothing to a
// line protocol, is taken and dropped, or it would be reported again at once.
bool HandleException(const Socket& socket);
// Stops both directions; what the peer has not read yet may still reach it.
void Shutdown(const Socket& socket);

} // namespace qv4130::net
