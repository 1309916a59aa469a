#include "MeterAddress.h"

#include "TcpTransport.h"
#ifndef _WIN32
#include "UsbTmcTransport.h"
#endif
#include "qv4130/PlainText.h"

namespace qv4130::characterise {

namespace {

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    const std::optional<std::uint16_t> port = text::ParseWhole<std::uint16_t>(text);
    return port != 0 ? port : std::nullopt;
}

} // namespace

std::optional<TcpAddress> ParseTcpAddress(std::string_view text) {
    std::string_view host = text;
    std::string_view port;
    if (text.starts_with('[')) {
        const auto close = text.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return std::nullopt;
            }
            port = rest.substr(1);
        }
    } else if (const auto colon = text.find(':'); colon != std::string_view::npos) {
        if (text.find(':', colon + 1) != std::string_view::npos) {
            return std::nullopt; // a bare IPv6 address: its port would be ambiguous
        }
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    if (host.empty()) {
        return std::nullopt;
    }
    TcpAddress address{std::string(host)};
    if (!port.empty() || text.ends_with(':')) {
        const auto number = ParsePort(port);
        if (!number) {
            return std::nullopt;
        }
        address.port = *number;
    }
    return address;
}

std::optional<MeterAddress> ParseMeterAddress(const std::string& text) {
    if (text.starts_with("/dev/")) {
        return UsbTmcNode{text};
    }
    if (auto address = ParseTcpAddress(text)) {
        return *address;
    }
    return std::nullopt;
}

std::unique_ptr<MeterTransport> OpenMeterTransport(const MeterAddress& address,
                                                   std::chrono::milliseconds timeout) {
    if (const auto* tcp = std::get_if<TcpAddress>(&address)) {
        return std::make_unique<TcpTransport>(tcp->host, tcp->port, timeout);
    }
#ifdef _WIN32
    throw TransportError("Windows has no usbtmc driver: reach the meter over TCP");
#else
    return std::make_unique<UsbTmcTransport>(std::get<UsbTmcNode>(address).path, timeout);
#endif
}

} // namespace qv4130::characterise
