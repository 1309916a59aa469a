#include "UsbTmcTransport.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/usb/tmc.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace qv4130::characterise {

namespace {

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

UsbTmcTransport::UsbTmcTransport(const std::string& node)
    : device_(open(node.c_str(), O_RDWR | O_CLOEXEC)) {
    if (!device_.IsOpen()) {
        throw TransportError(SystemError("cannot open the device"));
    }
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

std::string UsbTmcTransport::Receive(std::chrono::milliseconds timeout) {
    const auto wanted = static_cast<unsigned>(timeout.count());
    if (wanted != timeoutMs_) {
        __u32 value = wanted;
        if (ioctl(device_.Get(), USBTMC_IOCTL_SET_TIMEOUT, &value) != 0) {
            throw TransportError(SystemError("cannot set the device's time-out"));
        }
        timeoutMs_ = wanted;
    }
    char buffer[4096];
    ssize_t got = 0;
    do {
        got = read(device_.Get(), buffer, sizeof buffer);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        if (errno == ETIMEDOUT) {
            throw TransportError("no answer within " + std::to_string(timeout.count()) + " ms");
        }
        throw TransportError(SystemError("the device failed"));
    }
    std::string reply(buffer, static_cast<std::size_t>(got));
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r')) {
        reply.pop_back();
    }
    return reply;
}

} // namespace qv4130::characterise
