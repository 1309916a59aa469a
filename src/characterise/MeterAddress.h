#pragma once

#include "MeterTransport.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
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

// "/dev/usbtmc0", "HOST", "HOST:PORT" or "[IPv6]:PORT"; none for anything else.
std::optional<MeterAddress> ParseMeterAddress(const std::string& text);

// Connects to the meter. Throws TransportError.
std::unique_ptr<MeterTransport> OpenMeterTransport(const MeterAddress& address,
                                                   std::chrono::milliseconds timeout);

} // namespace qv4130::characterise
