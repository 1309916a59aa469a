#pragma once

#include "characterise/MeterTransport.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace qv4130::characterise {

inline constexpr std::uint16_t ScpiSocketPort = 5025;

struct TcpAddress {
    std::string host;
    std::uint16_t port = ScpiSocketPort;
};
struct UsbTmcNode {
    std::string path;
};
using MeterAddress = std::variant<TcpAddress, UsbTmcNode>;

// How the operator writes a meter's address, and a SCPI server's (a socket
// only), as every help text, usage error and field says it. ScpiSocketPort is
// the port unless one is given.
inline constexpr std::string_view MeterAddressSyntax = "HOST[:PORT] or /dev/usbtmcN";
inline constexpr std::string_view TcpAddressSyntax = "HOST[:PORT]";

// "HOST", "HOST:PORT" or "[IPv6]:PORT"; none for anything else. The one
// reader of these addresses: a meter's, and a running server's (--connect).
std::optional<TcpAddress> ParseTcpAddress(std::string_view text);

// "/dev/usbtmc0", or what ParseTcpAddress takes; none for anything else.
std::optional<MeterAddress> ParseMeterAddress(const std::string& text);

// Connects to the meter. Throws TransportError.
std::unique_ptr<MeterTransport> OpenMeterTransport(const MeterAddress& address,
                                                   std::chrono::milliseconds timeout);

} // namespace qv4130::characterise
