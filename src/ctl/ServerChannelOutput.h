#pragma once

#include "ServerLink.h"
#include "characterise/ChannelOutput.h"

namespace qv4130::ctl {

// A run's codes to the board of a running server, as SOUR:CHANn:CODE words,
// each with its error asked for, and read back with SOUR:CHANn:CODE?.
class ServerChannelOutput final : public characterise::ChannelOutput {
public:
    explicit ServerChannelOutput(ServerLink& link) : link_(link) {}

    std::optional<std::string> WriteCode(int channel, int code) override;
    std::optional<int> Code(int channel) const override;

private:
    ServerLink& link_;
};

} // namespace qv4130::ctl
