#pragma once

#include "characterise/MeterTransport.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qv4130::ctl {

// How long a server may take over one line (a sweep on a real port included).
inline constexpr std::chrono::milliseconds ServerTimeout{10000};

// What became of one line sent to a server.
struct LineOutcome {
    std::vector<std::string> replies; // the line's, up to an error
    std::optional<std::string> error; // what the server queued for it: -222,"Data out of range"
    std::optional<std::string>
        failure; // why the line got no answer: "HOST:PORT did not answer: ..."
};

// The board of a running server (qv4130 --listen, qv4130ctl serve), spoken to
// a line of SCPI at a time over the meter link's socket. Every line goes after
// *OPC?, so that it has a reply (the "1" first) even when it holds no query or
// stops at an error, and is followed by SYST:ERR?, so that its error is its own.
class ServerLink {
public:
    // `name` is how the operator named the server: every failure starts with it.
    ServerLink(std::unique_ptr<characterise::MeterTransport> transport, std::string name)
        : transport_(std::move(transport)), name_(std::move(name)) {}

    // Connects to HOST[:PORT] (5025 by default); or why it can't, naming the address.
    static std::variant<ServerLink, std::string> Connect(const std::string& address);

    const std::string& Name() const { return name_; }
    LineOutcome Exchange(std::string_view line);

private:
    std::unique_ptr<characterise::MeterTransport> transport_;
    std::string name_;
};

} // namespace qv4130::ctl
