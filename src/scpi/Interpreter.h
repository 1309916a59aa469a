#pragma once

#include "CommandHandler.h"
#include "CommandParser.h"
#include "CommandTable.h"
#include "ScpiErrors.h"
#include "Session.h"
#include "board/Board.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv4130::scpi {

// A longer line is refused whole (-223): nobody types that much, and a client
// must not make the instrument hold unbounded input.
inline constexpr std::size_t MaxLineBytes = 64 * 1024;

// What one command did, for whoever watches the interpreter (a window that
// shows the board's state, a fuzzer that checks what was sent).
struct CommandOutcome {
    const CommandRow* command = nullptr; // none: not recognised
    bool query = false;
    std::optional<Error> error;
};

// The SCPI commands of the board (CommandTable), over the Board. One
// interpreter per instrument; each client brings its own Session (its error
// queue, status registers and header path). The calls without a session use the
// interpreter's own, for a process with one client.
class Interpreter final : public CommandHandler {
public:
    using Observer = std::function<void(const CommandOutcome&)>;

    explicit Interpreter(Board& instrument);

    // Runs the ';'-separated commands of one line in order, appending each query's
    // reply to `replies`. The first error ends the line: it is queued and
    // returned, and the commands after it are not run. A refused command sends
    // nothing to the board.
    std::optional<Error> ExecuteLine(std::string_view line, std::vector<std::string>& replies) {
        return ExecuteLine(line, replies, ownSession_);
    }
    std::optional<Error> ExecuteLine(std::string_view line, std::vector<std::string>& replies,
                                     Session& session);

    // The next command of `line` from `position`, which moves past it: a server
    // runs a line a command at a time so that it can turn to other clients in
    // between. False once the line is done, at its end or at its first error
    // (queued in the session and kept in `error`). `line` is at most MaxLineBytes;
    // `replies` holds this line's replies so far.
    bool ExecuteNextCommand(std::string_view line, std::size_t& position, Session& session,
                            std::vector<std::string>& replies,
                            std::optional<Error>& error) override;

    // A session that latches only the board's events from now on: a client that
    // connects after a sweep has no sweep in its operation event register.
    Session NewSession() override;

    // Queues an error found outside a line's commands (a line too long to keep).
    static void ReportError(Session& session, Error error) { session.Report(error); }

    // Called after every command, refused ones included.
    void SetObserver(Observer observer) { observer_ = std::move(observer); }

private:
    std::optional<Error> Execute(std::string_view line, CommandOutcome& outcome, Session& session,
                                 std::vector<std::string>& replies);
    // Counts a power-down the board shows since it was last looked at.
    void WatchPower();
    // The board's events since the session last ran a command, into its registers.
    void Latch(Session& session);

    Board& instrument_;
    Session ownSession_;
    Observer observer_;
    ParsedCommand parsed_;
    BoardEvents events_;
    bool poweredDown_ = false;
};

} // namespace qv4130::scpi
