#pragma once

#include "ScpiErrors.h"
#include "Session.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv4130::scpi {

// What a SCPI server carries out its clients' lines with: the board's
// interpreter, or any other instrument spoken to in SCPI (the virtual board's
// simulated meter). The server runs every call on one thread.
class CommandHandler {
public:
    // The next command of `line` from `position`, which moves past it, its
    // reply (for a query) appended to `replies`: a server runs a line a command
    // at a time so that it can turn to other clients in between. False once the
    // line is done, at its end or at its first error (queued in the session or
    // the instrument, and kept in `error`). `line` is at most MaxLineBytes.
    virtual bool ExecuteNextCommand(std::string_view line, std::size_t& position, Session& session,
                                    std::vector<std::string>& replies,
                                    std::optional<Error>& error) = 0;

    // The session of a client that has just connected: what it starts from.
    virtual Session NewSession() { return {}; }

    // Queues an error found outside a line's commands (a line too long to keep)
    // where the client's SYSTem:ERRor? will find it.
    virtual void QueueError(Session& session, Error error) { session.Report(error); }

protected:
    ~CommandHandler() = default;
};

} // namespace qv4130::scpi
