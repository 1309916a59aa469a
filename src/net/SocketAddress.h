#pragma once

// Between an Endpoint and the host's own socket address: for the socket
// calls' implementations only, as it needs the host's socket headers.

#include "Socket.h"

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <cstring>

namespace qv4130::net {

struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;
};

inline SocketAddress ToSocketAddress(const Endpoint& endpoint) {
    SocketAddress address;
    if (endpoint.ipv6) {
        auto& in6 = reinterpret_cast<sockaddr_in6&>(address.storage);
        in6.sin6_family = AF_INET6;
        in6.sin6_port = htons(endpoint.port);
        std::memcpy(&in6.sin6_addr, endpoint.address.data(), 16);
        address.length = sizeof in6;
    } else {
        auto& in4 = reinterpret_cast<sockaddr_in&>(address.storage);
        in4.sin_family = AF_INET;
        in4.sin_port = htons(endpoint.port);
        std::memcpy(&in4.sin_addr, endpoint.address.data(), 4);
        address.length = sizeof in4;
    }
    return address;
}

inline Endpoint FromSocketAddress(const sockaddr_storage& storage) {
    Endpoint endpoint;
    if (storage.ss_family == AF_INET6) {
        const auto& in6 = reinterpret_cast<const sockaddr_in6&>(storage);
        endpoint.ipv6 = true;
        endpoint.port = ntohs(in6.sin6_port);
        std::memcpy(endpoint.address.data(), &in6.sin6_addr, 16);
    } else {
        const auto& in4 = reinterpret_cast<const sockaddr_in&>(storage);
        endpoint.port = ntohs(in4.sin_port);
        std::memcpy(endpoint.address.data(), &in4.sin_addr, 4);
    }
    return endpoint;
}

} // namespace qv4130::net
