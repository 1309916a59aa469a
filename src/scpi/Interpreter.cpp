#include "Interpreter.h"

#include "CommandLookup.h"
#include "ParameterReading.h"

namespace qv4130::scpi {

Interpreter::Interpreter(Board& instrument) : instrument_(instrument) {}

Session Interpreter::NewSession() {
    WatchPower();
    Session session;
    session.latched = events_;
    return session;
}

// The power flag is the windows' too, and any client's: whoever powered the chip
// down, every session latches it once, even if it is up again by the time that
// session's next command runs. It is looked at before each command: a
// power-down and up again from the windows with no command in between goes
// unseen.
void Interpreter::WatchPower() {
    const bool down = !instrument_.Output();
    if (down && !poweredDown_) {
        ++events_.powerDowns;
    }
    poweredDown_ = down;
}

void Interpreter::Latch(Session& session) {
    WatchPower();
    if (session.latched.sweeps != events_.sweeps) {
        session.operation.event |= status_bit::Sweeping;
    }
    if (session.latched.powerDowns != events_.powerDowns) {
        session.questionable.event |= status_bit::Voltage;
    }
    session.latched = events_;
    session.questionable.condition = poweredDown_ ? status_bit::Voltage : 0;
}

std::optional<Error> Interpreter::ExecuteLine(std::string_view line,
                                              std::vector<std::string>& replies, Session& session) {
    if (line.size() > MaxLineBytes) {
        session.Report(Error::TooMuchData);
        if (observer_) {
            observer_({nullptr, false, Error::TooMuchData});
        }
        return Error::TooMuchData;
    }
    std::size_t position = 0;
    std::optional<Error> error;
    while (ExecuteNextCommand(line, position, session, replies, error)) {
    }
    return error;
}

bool Interpreter::ExecuteNextCommand(std::string_view line, std::size_t& position, Session& session,
                                     std::vector<std::string>& replies,
                                     std::optional<Error>& error) {
    if (position == 0) {
        session.path.length = 0; // every line starts at the root
    }
    while (position < line.size()) {
        CommandOutcome outcome;
        error = ParseCommand(line, position, parsed_);
        if (!error && parsed_.headerLength == 0) {
            continue; // an empty command between semicolons
        }
        if (!error) {
            error = Execute(line, outcome, session, replies);
        }
        outcome.error = error;
        if (observer_) {
            observer_(outcome);
        }
        if (error) {
            session.Report(*error);
            position = line.size();
            return false;
        }
        return position < line.size();
    }
    return false;
}

std::optional<Error> Interpreter::Execute(std::string_view line, CommandOutcome& outcome,
                                          Session& session, std::vector<std::string>& replies) {
    Latch(session);
    const CommandMatch match = FindCommand(line, parsed_, session.path);
    outcome.command = match.row;
    outcome.query = parsed_.query;
    if (match.row == nullptr) {
        return Error::UndefinedHeader;
    }
    if (match.suffixError) {
        return Error::HeaderSuffixOutOfRange;
    }
    const Handler handler = parsed_.query ? match.row->query : match.row->set;
    if (handler == nullptr) {
        return Error::UndefinedHeader;
    }
    Call call{instrument_, session, events_, match.suffix, {}, replies};
    const ParameterRule& rule = match.row->parameter;
    if (parsed_.query) {
        return parsed_.parameterCount == 0 ? handler(call)
                                           : AnswerLimit(parsed_, rule, instrument_, replies);
    }
    if (const auto error = ReadValue(parsed_, rule, instrument_, call.value)) {
        return error;
    }
    return handler(call);
}

} // namespace qv4130::scpi
