#pragma once

#include "characterise/MeterTransport.h"
#include "net/Socket.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace qv4130::characterise {

// SCPI over a raw TCP socket (the "socket" port instruments open, 5025 by
// custom): messages end with a newline both ways.
class TcpTransport final : public MeterTransport {
public:
    // Connects, or throws TransportError saying why. A message the peer does
    // not take within `timeout` fails as a reply that does not come would.
    TcpTransport(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout);

    void Send(std::string_view message) override;
    std::string Receive(std::chrono::milliseconds timeout) override;

private:
    net::Socket socket_;
    std::chrono::milliseconds sendTimeout_;
    std::string pending_; // received bytes after the last whole line
};

} // namespace qv4130::characterise
