#pragma once

#include "FileDescriptor.h"
#include "MeterTransport.h"

#include <string>

namespace qv4130::characterise {

// SCPI through the kernel's usbtmc driver (/dev/usbtmcN): each write() is one
// USB-TMC message, each read() asks the instrument for its reply and returns
// when it has come or the driver's time-out has passed.
class UsbTmcTransport final : public MeterTransport {
public:
    // Opens the node, or throws TransportError saying why.
    explicit UsbTmcTransport(const std::string& node);

    void Send(std::string_view message) override;
    std::string Receive(std::chrono::milliseconds timeout) override;

private:
    FileDescriptor device_;
    unsigned timeoutMs_ = 0; // what the driver was last told
};

} // namespace qv4130::characterise
