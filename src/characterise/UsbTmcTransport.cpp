#include "UsbTmcTransport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/usb/tmc.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace qv4130::characterise {

namespace {

// The driver refuses time-outs below 100 ms (EINVAL); a shorter one asked for
// is the shortest it takes.
constexpr unsigned ShortestDriverTimeoutMs = 100;
// The end-of-message bit of the last transfer's attributes (USBTMC_IOCTL_MSG_IN_ATTR).
constexpr __u8 EndOfMessage = 0x01;

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

UsbTmcTransport::UsbTmcTransport(const std::string& node, std::chrono::milliseconds timeout)
    : device_(open(node.c_str(), O_RDWR | O_CLOEXEC)) {
    if (!device_.IsOpen()) {
        throw TransportError(SystemError("cannot open the device"));
    }
    // Writes wait for the meter too: bounded by the same time-out as answers,
    // not the driver's own 5 s.
    SetTimeout(timeout);
}

void UsbTmcTransport::SetTimeout(std::chrono::milliseconds timeout) {
    const auto wanted = std::max(static_cast<unsigned>(timeout.count()), ShortestDriverTimeoutMs);
    if (wanted == timeoutMs_) {
        return;
    }
    __u32 value = wanted;
    if (ioctl(device_.Get(), USBTMC_IOCTL_SET_TIMEOUT, &value) != 0) {
        throw TransportError(SystemError("cannot set the device's time-out"));
    }
    timeoutMs_ = wanted;
}

void UsbTmcTransport::Send(std::string_view message) {
    std::string line(message);
    line += '\n';
    ssize_t written = 0;
    do {
        written = write(device_.Get(), line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    if (written != static_cast<ssize_t>(line.size())) {
        throw TransportError(SystemError("the device did not take the message"));
    }
}

bool UsbTmcTransport::LastTransferEndedMessage() const {
    __u8 attributes = 0;
    if (ioctl(device_.Get(), USBTMC_IOCTL_MSG_IN_ATTR, &attributes) != 0) {
        throw TransportError(SystemError("cannot read the device's transfer attributes"));
    }
    return (attributes & EndOfMessage) != 0;
}

std::size_t UsbTmcTransport::ReadTransfer(char* buffer, std::size_t size) {
    ssize_t got = 0;
    do {
        got = read(device_.Get(), buffer, size);
    } while (got < 0 && errno == EINTR);
    if (got < 0 && errno == ETIMEDOUT) {
        throw TransportError("no answer within " + std::to_string(timeoutMs_) + " ms");
    }
    if (got < 0) {
        throw TransportError(SystemError("the device failed"));
    }
    return static_cast<std::size_t>(got);
}

// A meter may send its answer in several transfers, each read() returning
// one; only the last carries end-of-message.
std::string UsbTmcTransport::Receive(std::chrono::milliseconds timeout) {
    SetTimeout(timeout);
    std::string reply;
    char buffer[4096];
    for (;;) {
        const std::size_t got = ReadTransfer(buffer, sizeof buffer);
        reply.append(buffer, got);
        if (LastTransferEndedMessage()) {
            break;
        }
        if (got == 0 || reply.size() > MaxReplyBytes) {
            throw TransportError("sent " + std::to_string(reply.size()) +
                                 " bytes without ending its message");
        }
    }
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r')) {
        reply.pop_back();
    }
    return reply;
}

} // namespace qv4130::characterise
