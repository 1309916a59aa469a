#include "StandInMeter.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>

namespace qv4130::characterise {

namespace {

// The longest the stand-in waits for anything, so a test that goes wrong ends.
constexpr auto Patience = std::chrono::seconds(10);

bool Readable(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, 50) > 0;
}

void SendLine(int connection, std::string line) {
    line += '\n';
    (void)send(connection, line.data(), line.size(), MSG_NOSIGNAL);
}

} // namespace

StandInMeter::StandInMeter(const Qv4130Chip& chip, AnalogModel& model, MeterFault fault,
                           int atReading)
    : dmm_(chip, model), fault_(fault), atReading_(atReading) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_, 1) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("the stand-in meter cannot listen on loopback");
    }
    port_ = ntohs(address.sin_port);
    server_ = std::thread([this] { Serve(); });
}

StandInMeter::~StandInMeter() {
    stopping_ = true;
    server_.join();
    close(listener_);
}

// False once the connection is to end.
bool StandInMeter::Answer(int connection, const std::string& message) {
    const bool reading = message.starts_with("READ?") || message.starts_with("MEAS");
    if (reading && ++readings_ == atReading_) {
        switch (fault_) {
        case MeterFault::Silent:
            return true;
        case MeterFault::ErrorQueued:
            dmm_.Handle("CALibrate:ZERO"); // a command it does not know: -113 queued
            break;
        case MeterFault::Garbage:
            SendLine(connection, "\x01\x7f#garbage");
            return true;
        case MeterFault::Disconnect:
            return false;
        case MeterFault::EndlessLine: // more than any reply, and no end to it
            (void)send(connection, std::string(70'000, '7').data(), 70'000, MSG_NOSIGNAL);
            return true;
        case MeterFault::None:
            break;
        }
    }
    if (auto reply = dmm_.Handle(message)) {
        SendLine(connection, *reply);
    }
    return true;
}

void StandInMeter::Serve() {
    const auto giveUp = std::chrono::steady_clock::now() + Patience;
    int connection = -1;
    while (connection < 0 && !stopping_ && std::chrono::steady_clock::now() < giveUp) {
        if (Readable(listener_)) {
            connection = accept(listener_, nullptr, nullptr);
        }
    }
    std::string pending;
    bool open = connection >= 0;
    while (open && !stopping_ && std::chrono::steady_clock::now() < giveUp) {
        if (!Readable(connection)) {
            continue;
        }
        char buffer[1024];
        const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        pending.append(buffer, static_cast<std::size_t>(got));
        for (auto end = pending.find('\n'); open && end != std::string::npos;
             end = pending.find('\n')) {
            const std::string message = pending.substr(0, end);
            pending.erase(0, end + 1);
            open = Answer(connection, message);
        }
    }
    if (connection >= 0) {
        close(connection);
    }
}

} // namespace qv4130::characterise
