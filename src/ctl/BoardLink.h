#pragma once

#include "qv4130/Result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv4130::ctl {

// What became of one line of SCPI sent to a board.
struct LineOutcome {
    std::vector<std::string> replies; // the line's, up to an error
    // What the instrument queued for the line, as SYSTem:ERRor? says it:
    // -222,"Data out of range".
    std::optional<std::string> error;
    // Why the line had no effect on the board, or no answer: "HOST:PORT did not
    // answer: ...", "the printer port is not claimed, so nothing reached the board".
    std::optional<std::string> failure;
};

// The one way in to a board for qv4130ctl's commands, a line of SCPI at a
// time: the interpreter over this process's board (InterpreterLink), or a
// running server's board over TCP (ServerLink, --connect).
class BoardLink {
public:
    virtual ~BoardLink() = default;

    // How failures name the board's end: "127.0.0.1:5025".
    virtual const std::string& Name() const = 0;
    // Runs one line of commands ';'-separated; a blank line does nothing.
    virtual LineOutcome Exchange(std::string_view line) = 0;
    // False when nothing sent reaches the board at all (the port's claim was
    // refused); status says so.
    virtual bool Claimed() const { return true; }
    // After the last command: what the link holds (the port's claim) is given
    // back, and with it whatever it still held sent; fails saying why that did
    // not reach the board, if it didn't.
    virtual Result<> LetGo() { return {}; }

protected:
    BoardLink() = default;
    BoardLink(const BoardLink&) = default;
    BoardLink(BoardLink&&) = default;
    BoardLink& operator=(const BoardLink&) = default;
    BoardLink& operator=(BoardLink&&) = default;
};

} // namespace qv4130::ctl
