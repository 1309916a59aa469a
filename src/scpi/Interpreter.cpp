#include "Interpreter.h"

#include "CommandLookup.h"
#include "ParameterReading.h"

namespace qv4130::scpi {

Interpreter::Interpreter(Instrument& instrument) : instrument_(instrument) {}

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
    // Another client may have powered the chip down since this one last looked.
    session.questionable.See(instrument_.Output() ? 0 : status_bit::Voltage);
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
    Call call{instrument_, session, match.suffix, {}, replies};
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
