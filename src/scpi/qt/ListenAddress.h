#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>
#include <string_view>

namespace qv4130::scpi {

// Where bench instruments take SCPI over TCP.
inline constexpr quint16 DefaultScpiPort = 5025;

struct ListenAddress {
    QHostAddress host{QHostAddress::LocalHost};
    quint16 port = DefaultScpiPort;
};

// "ADDR:PORT", "[IPv6]:PORT", or "PORT" / ":PORT" on the loopback address.
// ADDR is an IP address or "localhost"; PORT 0 asks for any free port.
std::optional<ListenAddress> ParseListenAddress(std::string_view text);

// "127.0.0.1:5025", "[::1]:5025".
QString DescribeListenAddress(const QHostAddress& host, quint16 port);

} // namespace qv4130::scpi
