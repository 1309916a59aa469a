#pragma once

#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qv4130::characterise {

// Why a transport could not carry a message: worded for the operator, without
// the meter's name, which the caller puts in front.
class TransportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The longest reply kept: a meter's reading is a few dozen bytes, and a peer
// that streams without ending its line must not grow the client without end.
inline constexpr std::size_t MaxReplyBytes = 64 * 1024;

// Lines to and from a SCPI instrument: a TCP socket, a USB-TMC device node, or
// a simulated meter in the same process.
class MeterTransport {
public:
    virtual ~MeterTransport() = default;
    // Sends one message; the transport adds its terminator.
    virtual void Send(std::string_view message) = 0;
    // The next reply without its terminator. Throws TransportError when none
    // came within `timeout` or the meter went away.
    virtual std::string Receive(std::chrono::milliseconds timeout) = 0;
};

} // namespace qv4130::characterise
