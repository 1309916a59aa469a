#include "MeterAddress.h"

#ifndef _WIN32
#include "TcpTransport.h"
#include "UsbTmcTransport.h"
#endif

#include <charconv>

namespace qv4130::characterise {

namespace {

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    unsigned value = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failure != std::errc{} || end != text.data() + text.size() || value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::optional<MeterAddress> ParseMeterAddress(const std::string& text) {
    if (text.starts_with("/dev/")) {
        return UsbTmcNode{text};
    }
    std::string host = text;
    std::string_view port;
    if (text.starts_with('[')) {
        const auto close = text.find(']');
        if (close == std::string::npos) {
            return std::nullopt;
        }
        host = text.substr(1, close - 1);
        const std::string_view rest = std::string_view(text).substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return std::nullopt;
            }
            port = rest.substr(1);
        }
    } else if (const auto colon = text.find(':'); colon != std::string::npos) {
        if (text.find(':', colon + 1) != std::string::npos) {
            return std::nullopt; // a bare IPv6 address: its port would be ambiguous
        }
        host = text.substr(0, colon);
        port = std::string_view(text).substr(colon + 1);
    }
    if (host.empty()) {
        return std::nullopt;
    }
    TcpAddress address{host};
    if (!port.empty() || text.ends_with(':')) {
        const auto number = ParsePort(port);
        if (!number) {
            return std::nullopt;
        }
        address.port = *number;
    }
    return address;
}

#ifdef _WIN32
std::unique_ptr<MeterTransport> OpenMeterTransport(const MeterAddress&, std::chrono::milliseconds) {
    throw TransportError("the Windows build reaches no meter or server over TCP or USBTMC yet");
}
#else
std::unique_ptr<MeterTransport> OpenMeterTransport(const MeterAddress& address,
                                                   std::chrono::milliseconds timeout) {
    if (const auto* tcp = std::get_if<TcpAddress>(&address)) {
        return std::make_unique<TcpTransport>(tcp->host, tcp->port, timeout);
    }
    return std::make_unique<UsbTmcTransport>(std::get<UsbTmcNode>(address).path, timeout);
}
#endif

} // namespace qv4130::characterise
