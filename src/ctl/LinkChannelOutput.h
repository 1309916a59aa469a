#pragma once

#include "BoardLink.h"
#include "characterise/ChannelOutput.h"

namespace qv4130::ctl {

// A run's codes to a board through qv4130ctl's link, this process's or a
// server's: SOUR:CHANn:CODE words, each with its error asked for, read back
// with SOUR:CHANn:CODE?.
class LinkChannelOutput final : public characterise::ChannelOutput {
public:
    explicit LinkChannelOutput(BoardLink& link) : link_(link) {}

    Result<> WriteCode(int channel, int code) override;
    std::optional<int> Code(int channel) const override;

private:
    BoardLink& link_;
};

} // namespace qv4130::ctl
