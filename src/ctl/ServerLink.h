#pragma once

#include "qv4130/Result.h"

#include "BoardLink.h"
#include "characterise/MeterAddress.h"
#include "characterise/MeterTransport.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv4130::ctl {

// How long a server may take over one line (a sweep on a real port included).
inline constexpr std::chrono::milliseconds ServerTimeout{10000};

// The board of a running server (qv4130 --listen, qv4130ctl serve), spoken to
// a line of SCPI at a time over the meter link's socket. Every line goes after
// *OPC?, so that it has a reply (the "1" first) even when it holds no query or
// stops at an error, and is followed by SYST:ERR?, so that its error is its own.
class ServerLink final : public BoardLink {
public:
    // `name` is how the operator named the server: every failure starts with it.
    ServerLink(std::unique_ptr<characterise::MeterTransport> transport, std::string name)
        : transport_(std::move(transport)), name_(std::move(name)) {}

    // Connects to the server at `address`, which the operator named `name`
    // (HOST[:PORT]); or why it can't, naming it.
    static Result<ServerLink> Connect(const characterise::TcpAddress& address,
                                      const std::string& name);

    const std::string& Name() const override { return name_; }
    LineOutcome Exchange(std::string_view line) override;

private:
    std::unique_ptr<characterise::MeterTransport> transport_;
    std::string name_;
};

} // namespace qv4130::ctl
