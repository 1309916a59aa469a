#pragma once

#include "ScpiErrors.h"
#include "Session.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv4130::scpi {

// A longer line is refused whole (-223): nobody types that much, and a client
// must not make an instrument hold unbounded input.
inline constexpr std::size_t MaxLineBytes = 64 * 1024;

// What a SCPI server carries out its clients' lines with: the SCPI engine over
// the board, or over the virtual board's simulated meter. The server runs every
// call on one thread.
class CommandHandler {
public:
    // The next command of `line` from `position`, which moves past it, its
    // reply (for a query) appended to `replies`: a server runs a line a command
    // at a time so that it can turn to other clients in between. False once the
    // line is done, at its end or at its first error (queued in the session and
    // kept in `error`). `line` is at most MaxLineBytes.
    virtual bool ExecuteNextCommand(std::string_view line, std::size_t& position, Session& session,
                                    std::vector<std::string>& replies,
                                    std::optional<Error>& error) = 0;

    // The session of a client that has just connected: what it starts from.
    virtual Session NewSession() { return {}; }

protected:
    ~CommandHandler() = default;
};

} // namespace qv4130::scpi
