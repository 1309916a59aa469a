#pragma once

#include "qv4130/Result.h"

#include <optional>

namespace qv4130::characterise {

// Where a run sends its codes: the board link in this process, or a board served elsewhere.
class ChannelOutput {
public:
    virtual ~ChannelOutput() = default;
    // Sends a mode-0 word; fails saying why nothing was sent.
    virtual Result<> WriteCode(int channel, int code) = 0;
    // The channel's code as known here; none when nobody knows it.
    virtual std::optional<int> Code(int channel) const = 0;
};

} // namespace qv4130::characterise
