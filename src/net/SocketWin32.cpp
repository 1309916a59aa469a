#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "SocketAddress.h"

#include <windows.h>

#include <algorithm>
#include <memory>

namespace qv4130::net {

namespace {

struct AddressListDeleter {
    void operator()(addrinfoW* list) const { FreeAddrInfoW(list); }
};

// Winsock must be started once in a process before its first socket; it is
// left running until the process ends, as every socket may live that long.
int StartWinsock() {
    static int status = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return status;
}

// Made non-blocking and kept from programs this one starts (a socket handle is
// inherited by default on Windows).
Socket Prepared(SOCKET handle) {
    Socket socket(handle);
    if (handle != INVALID_SOCKET) {
        u_long on = 1;
        ioctlsocket(handle, FIONBIO, &on);
        SetHandleInformation(reinterpret_cast<HANDLE>(handle), HANDLE_FLAG_INHERIT, 0);
    }
    return socket;
}

Failure SystemFailure(const char* what) {
    return Failure{std::string(what) + ": " + LastError().Text()};
}

std::wstring Wide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

// A failed connect shows among the exceptions, not as writable: both are watched.
bool WaitConnected(SOCKET socket, std::chrono::milliseconds timeout) {
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket, &writable);
    FD_SET(socket, &failed);
    timeval limit{static_cast<long>(timeout.count() / 1000),
                  static_cast<long>(timeout.count() % 1000 * 1000)};
    WSASetLastError(0);
    return select(0, nullptr, &writable, &failed, &limit) > 0;
}

Socket ConnectOne(const addrinfoW& address, std::chrono::milliseconds timeout) {
    Socket socket = Prepared(::socket(address.ai_family, address.ai_socktype, address.ai_protocol));
    if (!socket.IsOpen()) {
        return socket;
    }
    int error = 0;
    if (::connect(socket.Get(), address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0 &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
        error = WSAGetLastError();
    } else if (!WaitConnected(socket.Get(), timeout)) {
        error = WSAGetLastError() == 0 ? WSAETIMEDOUT : WSAGetLastError();
    } else {
        int length = sizeof error;
        getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
    }
    if (error != 0) {
        socket.Close();
        WSASetLastError(error);
        return socket;
    }
    // One short query at a time: send it now rather than wait for more.
    const BOOL on = TRUE;
    setsockopt(socket.Get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
               sizeof on);
    return socket;
}

using NameCall = int(WSAAPI*)(SOCKET, sockaddr*, int*);

std::optional<Endpoint> EndpointOf(NameCall name, const Socket& socket) {
    sockaddr_storage storage{};
    int length = sizeof storage;
    if (name(socket.Get(), reinterpret_cast<sockaddr*>(&storage), &length) != 0) {
        return std::nullopt;
    }
    return FromSocketAddress(storage);
}

} // namespace

void Socket::Close() {
    if (IsOpen()) {
        closesocket(std::exchange(handle_, Closed));
    }
}

bool SocketError::WouldBlock() const {
    return code == WSAEWOULDBLOCK;
}

bool SocketError::Interrupted() const {
    return code == WSAEINTR;
}

bool SocketError::OutOfResources() const {
    return code == WSAEMFILE || code == WSAENOBUFS;
}

std::string SocketError::Text() const {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 ? std::string(text, length) : "error " + std::to_string(code);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == '.' || message.back() == ' ')) {
        message.pop_back();
    }
    return message;
}

SocketError LastError() {
    return {WSAGetLastError()};
}

Result<Socket> Listen(const Endpoint& local, int backlog) {
    if (const int status = StartWinsock(); status != 0) {
        return Failure{SocketError{status}.Text()};
    }
    const SocketAddress address = ToSocketAddress(local);
    Socket listener = Prepared(::socket(address.storage.ss_family, SOCK_STREAM, IPPROTO_TCP));
    // Windows lets a second program take over a port it shares with
    // SO_REUSEADDR; this one keeps its port to itself instead.
    const BOOL on = TRUE;
    if (!listener.IsOpen() ||
        setsockopt(listener.Get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                   reinterpret_cast<const char*>(&on), sizeof on) != 0 ||
        bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address.storage), address.length) !=
            0 ||
        listen(listener.Get(), backlog) != 0) {
        return Failure{LastError().Text()};
    }
    return listener;
}

Socket Accept(const Socket& listener) {
    return Prepared(::accept(listener.Get(), nullptr, nullptr));
}

Result<Socket> Connect(const std::string& host, std::uint16_t port,
                       std::chrono::milliseconds timeout) {
    if (const int status = StartWinsock(); status != 0) {
        return Failure{"cannot connect: " + SocketError{status}.Text()};
    }
    addrinfoW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfoW* found = nullptr;
    if (const int status =
            GetAddrInfoW(Wide(host).c_str(), std::to_wstring(port).c_str(), &hints, &found);
        status != 0) {
        return Failure{"cannot find the host: " + SocketError{status}.Text()};
    }
    const std::unique_ptr<addrinfoW, AddressListDeleter> list(found);
    for (const addrinfoW* address = found; address != nullptr; address = address->ai_next) {
        if (Socket socket = ConnectOne(*address, timeout); socket.IsOpen()) {
            return socket;
        }
    }
    return SystemFailure("cannot connect");
}

std::optional<Endpoint> LocalEndpoint(const Socket& socket) {
    return EndpointOf(getsockname, socket);
}

std::optional<Endpoint> PeerEndpoint(const Socket& socket) {
    return EndpointOf(getpeername, socket);
}

std::ptrdiff_t Send(const Socket& socket, std::string_view bytes) {
    // A send of more than an int holds is cut short; the caller sends the rest.
    const int size = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 30));
    return ::send(socket.Get(), bytes.data(), size, 0);
}

std::ptrdiff_t Receive(const Socket& socket, char* buffer, std::size_t size) {
    return ::recv(socket.Get(), buffer, static_cast<int>(std::min<std::size_t>(size, 1 << 30)), 0);
}

bool WaitFor(const Socket& socket, Wait what, std::chrono::milliseconds timeout) {
    WSAPOLLFD entry{socket.Get(),
                    static_cast<SHORT>(what == Wait::Readable ? POLLRDNORM : POLLWRNORM), 0};
    WSASetLastError(0);
    return WSAPoll(&entry, 1, static_cast<INT>(timeout.count())) > 0;
}

bool HandleException(const Socket& socket) {
    WSAPOLLFD watched{socket.Get(), POLLRDNORM, 0};
    if (WSAPoll(&watched, 1, 0) > 0 && (watched.revents & (POLLERR | POLLHUP)) != 0) {
        return true;
    }
    char urgent = 0;
    (void)!recv(socket.Get(), &urgent, 1, MSG_OOB);
    return false;
}

void Shutdown(const Socket& socket) {
    shutdown(socket.Get(), SD_BOTH);
}

} // namespace qv4130::net
#endif
