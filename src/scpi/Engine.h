#pragma once

#include "CommandHandler.h"
#include "CommandLookup.h"
#include "CommandParser.h"
#include "CommandTable.h"
#include "ParameterReading.h"
#include "ScpiErrors.h"
#include "Session.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv4130::scpi {

// What one command did, for whoever watches the engine (a window that shows
// the board's state, a fuzzer that checks what was sent).
template <typename Device> struct CommandOutcome {
    const CommandRow<Device>* command = nullptr; // none: not recognised
    bool query = false;
    std::optional<Error> error;
};

// The SCPI engine over one instrument and its command set: the board's
// (Interpreter.h) or the simulated meter's. Each client brings its own Session
// (its error queue, status registers and header path); the calls without a
// session use the engine's own, for a process with one client.
template <typename Device> class Engine final : public CommandHandler {
public:
    using Observer = std::function<void(const CommandOutcome<Device>&)>;

    explicit Engine(Device& instrument, const CommandSet<Device>& commands = CommandsOf<Device>())
        : instrument_(instrument), commands_(commands) {}

    // Runs the ';'-separated commands of one line in order, appending each query's
    // reply to `replies`. The first error ends the line: it is queued and
    // returned, and the commands after it are not run. A refused command does
    // nothing to the instrument.
    std::optional<Error> ExecuteLine(std::string_view line, std::vector<std::string>& replies) {
        return ExecuteLine(line, replies, ownSession_);
    }
    std::optional<Error> ExecuteLine(std::string_view line, std::vector<std::string>& replies,
                                     Session& session);

    bool ExecuteNextCommand(std::string_view line, std::size_t& position, Session& session,
                            std::vector<std::string>& replies,
                            std::optional<Error>& error) override;

    // A session that latches only the instrument's events from now on: a client
    // that connects after a sweep has no sweep in its operation event register.
    Session NewSession() override {
        WatchConditions();
        Session session;
        session.latched = events_;
        return session;
    }

    // Called after every command, refused ones included.
    void SetObserver(Observer observer) { observer_ = std::move(observer); }

private:
    std::optional<Error> Execute(std::string_view line, CommandOutcome<Device>& outcome,
                                 Session& session, std::vector<std::string>& replies);
    std::optional<Error> ReadParameters(const Parameters<Device>& parameters, bool query,
                                        Call<Device>& call) const;
    void WatchConditions();
    void Latch(Session& session);

    Device& instrument_;
    const CommandSet<Device>& commands_;
    Session ownSession_;
    Observer observer_;
    ParsedCommand parsed_;
    SharedEvents events_;
    StatusConditions conditions_;
};

template <typename Device>
std::optional<Error> Engine<Device>::ExecuteLine(std::string_view line,
                                                 std::vector<std::string>& replies,
                                                 Session& session) {
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

template <typename Device>
bool Engine<Device>::ExecuteNextCommand(std::string_view line, std::size_t& position,
                                        Session& session, std::vector<std::string>& replies,
                                        std::optional<Error>& error) {
    if (position == 0) {
        session.path.length = 0; // every line starts at the root
    }
    while (position < line.size()) {
        CommandOutcome<Device> outcome;
        outcome.error = ParseCommand(line, position, parsed_);
        if (!outcome.error && parsed_.headerLength == 0) {
            continue; // an empty command between semicolons
        }
        if (!outcome.error) {
            outcome.error = Execute(line, outcome, session, replies);
        }
        if (observer_) {
            observer_(outcome);
        }
        if (outcome.error) {
            error = outcome.error;
            session.Report(*error);
            position = line.size();
            return false;
        }
        return position < line.size();
    }
    return false;
}

template <typename Device>
std::optional<Error> Engine<Device>::Execute(std::string_view line, CommandOutcome<Device>& outcome,
                                             Session& session, std::vector<std::string>& replies) {
    Latch(session);
    const CommandMatch<Device> match = FindCommand(line, parsed_, session.path, commands_);
    outcome.command = match.row;
    outcome.query = parsed_.query;
    if (match.row == nullptr) {
        return Error::UndefinedHeader;
    }
    if (match.suffixError) {
        return Error::HeaderSuffixOutOfRange;
    }
    const Handler<Device> handler = parsed_.query ? match.row->query : match.row->set;
    if (handler == nullptr) {
        return Error::UndefinedHeader;
    }
    Call<Device> call{instrument_, session, events_, match.suffix, {}, {}, replies};
    const Parameters<Device>& parameters = match.row->parameters;
    if (parsed_.query && !parameters.forQuery && parsed_.parameterCount > 0) {
        if (!parameters.OneNumber()) {
            return Error::ParameterNotAllowed;
        }
        const ParameterRule<Device>& rule = parameters.rules[0];
        return AnswerLimit(parsed_, rule.kind, rule.LimitsNow(instrument_), commands_.formatReal,
                           replies);
    }
    if (const auto error = ReadParameters(parameters, parsed_.query, call)) {
        return error;
    }
    return handler(call);
}

template <typename Device>
std::optional<Error> Engine<Device>::ReadParameters(const Parameters<Device>& parameters,
                                                    bool query, Call<Device>& call) const {
    if (query && !parameters.forQuery) {
        return std::nullopt; // a query without parameters
    }
    const std::size_t given = parsed_.parameterCount;
    if (given > parameters.count) {
        return Error::ParameterNotAllowed;
    }
    if (given < (query ? 0 : parameters.required)) {
        return Error::MissingParameter;
    }
    Value* const values[] = {&call.value, &call.second};
    for (std::size_t i = 0; i < given; ++i) {
        const ParameterRule<Device>& rule = parameters.rules[i];
        if (const auto error =
                ReadValue(parsed_.parameters[i], rule, rule.LimitsNow(instrument_), *values[i])) {
            return error;
        }
    }
    return std::nullopt;
}

// A condition the instrument shows now (the board's chip powered down, whether
// from a client or the windows) counts as an event for every session when it
// comes on, as SCPI's transition filters take it by default. It is looked at
// before each command: a condition that comes and goes with no command in
// between goes unseen.
template <typename Device> void Engine<Device>::WatchConditions() {
    if (commands_.conditions == nullptr) {
        return;
    }
    const StatusConditions now = commands_.conditions(instrument_);
    if (now == conditions_) {
        return; // the usual case, looked at before every command
    }
    for (std::size_t i = 0; i < commands_.events.size(); ++i) {
        const SharedEvent& event = commands_.events[i];
        if ((now.Of(event.reg) & ~conditions_.Of(event.reg) & event.bit) != 0) {
            events_.Count(i);
        }
    }
    conditions_ = now;
}

// The instrument's events since the session last ran a command, into its registers.
template <typename Device> void Engine<Device>::Latch(Session& session) {
    WatchConditions();
    if (session.latched.total != events_.total) {
        for (std::size_t i = 0; i < commands_.events.size(); ++i) {
            if (session.latched.counts[i] != events_.counts[i]) {
                const SharedEvent& event = commands_.events[i];
                session.Register(event.reg).event |= event.bit;
            }
        }
        session.latched = events_;
    }
    session.operation.condition = conditions_.operation;
    session.questionable.condition = conditions_.questionable;
}

} // namespace qv4130::scpi
