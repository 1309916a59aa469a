#pragma once

#include "characterise/MeterTransport.h"
#include "qv4130/FileDescriptor.h"

#include <chrono>
#include <cstddef>
#include <string>

namespace qv4130::characterise {

// SCPI through the kernel's usbtmc driver (/dev/usbtmcN): each write() is one
// USB-TMC message, each read() asks the instrument for its reply and returns
// one transfer of it when that has come or the driver's time-out has passed.
class UsbTmcTransport final : public MeterTransport {
public:
    // Opens the node and gives the driver `timeout` for every transfer, or
    // throws TransportError saying why.
    UsbTmcTransport(const std::string& node, std::chrono::milliseconds timeout);

    void Send(std::string_view message) override;
    std::string Receive(std::chrono::milliseconds timeout) override;

private:
    void SetTimeout(std::chrono::milliseconds timeout);
    // One transfer of the answer: its byte count, or TransportError.
    std::size_t ReadTransfer(char* buffer, std::size_t size);
    bool LastTransferEndedMessage() const;

    FileDescriptor device_;
    unsigned timeoutMs_ = 0; // what the driver was last told
};

} // namespace qv4130::characterise
