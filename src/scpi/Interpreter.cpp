#include "Interpreter.h"

#include "text/PlainText.h"

#include "host/AppIdentity.h"

#include <array>
#include <cstdio>

namespace qv4130::scpi {

namespace {

enum class Keyword {
    Source,
    Channel,
    Code,
    Step,
    Output,
    State,
    Diagnostic,
    Sweep,
    System,
    Port,
    Error,
    Next
};

struct KeywordForms {
    Keyword keyword;
    std::string_view shortForm;
    std::string_view longForm;
};

constexpr std::array<KeywordForms, 12> Keywords{{
    {Keyword::Source, "SOUR", "SOURCE"},
    {Keyword::Channel, "CHAN", "CHANNEL"},
    {Keyword::Code, "CODE", "CODE"},
    {Keyword::Step, "STEP", "STEP"},
    {Keyword::Output, "OUTP", "OUTPUT"},
    {Keyword::State, "STAT", "STATE"},
    {Keyword::Diagnostic, "DIAG", "DIAGNOSTIC"},
    {Keyword::Sweep, "SWE", "SWEEP"},
    {Keyword::System, "SYST", "SYSTEM"},
    {Keyword::Port, "PORT", "PORT"},
    {Keyword::Error, "ERR", "ERROR"},
    {Keyword::Next, "NEXT", "NEXT"},
}};

using text::EqualsIgnoringCase;

bool Names(std::string_view mnemonic, Keyword keyword) {
    const KeywordForms& forms = Keywords[static_cast<std::size_t>(keyword)];
    return EqualsIgnoringCase(mnemonic, forms.shortForm) ||
           EqualsIgnoringCase(mnemonic, forms.longForm);
}

struct Node {
    Keyword keyword;
    bool optional = false;
    bool channelSuffix = false;
};

struct Pattern {
    Command command;
    bool settable;
    bool queryable;
    std::size_t length;
    std::array<Node, 3> nodes;
};

constexpr Pattern Patterns[] = {
    {Command::Code,
     true,
     true,
     3,
     {{{Keyword::Source}, {Keyword::Channel, false, true}, {Keyword::Code}}}},
    {Command::Step,
     true,
     false,
     3,
     {{{Keyword::Source}, {Keyword::Channel, false, true}, {Keyword::Step}}}},
    {Command::Output, true, true, 2, {{{Keyword::Output}, {Keyword::State, true}}}},
    {Command::Sweep, true, false, 2, {{{Keyword::Diagnostic}, {Keyword::Sweep}}}},
    {Command::Port, true, true, 2, {{{Keyword::System}, {Keyword::Port}}}},
    {Command::NextError,
     false,
     true,
     3,
     {{{Keyword::System}, {Keyword::Error}, {Keyword::Next, true}}}},
};

struct CommonCommand {
    std::string_view mnemonic;
    Command command;
    bool query;
};

constexpr CommonCommand CommonCommands[] = {
    {"IDN", Command::Identify, true},
    {"RST", Command::Reset, false},
    {"CLS", Command::ClearStatus, false},
    {"OPC", Command::OperationComplete, true},
};

struct Match {
    Command command = Command::None;
    bool settable = false;
    bool queryable = false;
    std::optional<Error> suffixError;
    std::int64_t channel = 0;
};

Match MatchCommon(const ParsedCommand& parsed) {
    for (const CommonCommand& common : CommonCommands) {
        if (EqualsIgnoringCase(parsed.header[0].keyword, common.mnemonic)) {
            return {common.command, !common.query, common.query, std::nullopt, 0};
        }
    }
    return {};
}

// Every header level must name the pattern's node in turn; optional nodes may be
// left out. A channel needs its suffix 0 to 15, and no other node takes one.
Match MatchSubsystem(const ParsedCommand& parsed) {
    if (parsed.headerLength > MaxHeaderElements) {
        return {};
    }
    for (const Pattern& pattern : Patterns) {
        Match match{pattern.command, pattern.settable, pattern.queryable, std::nullopt, 0};
        std::size_t level = 0;
        bool fits = true;
        for (std::size_t n = 0; n < pattern.length && fits; ++n) {
            const Node& node = pattern.nodes[n];
            if (level < parsed.headerLength && Names(parsed.header[level].keyword, node.keyword)) {
                const auto& suffix = parsed.header[level].suffix;
                if (node.channelSuffix) {
                    match.channel = suffix.value_or(-1);
                    if (!suffix || *suffix >= ChannelCount) {
                        match.suffixError = Error::HeaderSuffixOutOfRange;
                    }
                } else if (suffix) {
                    match.suffixError = Error::HeaderSuffixOutOfRange;
                }
                ++level;
            } else {
                fits = node.optional;
            }
        }
        if (fits && level == parsed.headerLength) {
            return match;
        }
    }
    return {};
}

std::optional<Error> WholeNumber(const Parameter& parameter, std::int64_t& value) {
    if (parameter.kind != ParameterKind::Number) {
        return Error::DataTypeError;
    }
    if (!parameter.integral) {
        return Error::DataOutOfRange;
    }
    value = parameter.value;
    return std::nullopt;
}

std::optional<Error> Refusal(ActionResult result) {
    switch (result) {
    case ActionResult::Done:
        return std::nullopt;
    case ActionResult::OutOfRange:
        return Error::DataOutOfRange;
    case ActionResult::PoweredDown:
        break;
    }
    return Error::SettingsConflict;
}

// ON, OFF, 1 or 0.
std::optional<Error> Boolean(const Parameter& parameter, bool& on) {
    if (parameter.kind == ParameterKind::String) {
        return Error::DataTypeError;
    }
    if (parameter.kind == ParameterKind::Character) {
        on = EqualsIgnoringCase(parameter.text, "ON");
        return on || EqualsIgnoringCase(parameter.text, "OFF")
                   ? std::nullopt
                   : std::optional(Error::DataOutOfRange);
    }
    on = parameter.value == 1;
    return parameter.integral && (on || parameter.value == 0)
               ? std::nullopt
               : std::optional(Error::DataOutOfRange);
}

std::optional<Error> PortName(const Parameter& parameter, PortMenuItem& item) {
    if (parameter.kind != ParameterKind::Character) {
        return Error::DataTypeError;
    }
    for (const PortMenuItem candidate : PortMenuItems) {
        if (EqualsIgnoringCase(parameter.text, PortMenuName(candidate))) {
            item = candidate;
            return std::nullopt;
        }
    }
    return Error::DataOutOfRange;
}

// A port the menu doesn't name (a card elsewhere in the I/O space) as #H<address>.
std::string PortReply(std::uint16_t address) {
    if (const auto item = PortMenuItemAt(address)) {
        return std::string(PortMenuName(*item));
    }
    char text[8];
    std::snprintf(text, sizeof text, "#H%X", static_cast<unsigned>(address));
    return text;
}

bool TakesParameter(Command command) {
    return command == Command::Code || command == Command::Step || command == Command::Output ||
           command == Command::Port;
}

} // namespace

std::string IdentityReply() {
    return std::string(identity::CompanyName) + ",QV4130 evaluation board,0," + identity::Version;
}

Interpreter::Interpreter(Instrument& instrument) : instrument_(instrument) {}

std::optional<Error> Interpreter::ExecuteLine(std::string_view line,
                                                  std::vector<std::string>& replies,
                                                  Session& session) {
    if (line.size() > MaxLineBytes) {
        session.errors.Push(Error::TooMuchData);
        if (observer_) {
            observer_({Command::None, false, Error::TooMuchData});
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
    while (position < line.size()) {
        CommandOutcome outcome;
        error = ParseCommand(line, position, parsed_);
        if (!error && parsed_.headerLength == 0) {
            continue; // an empty command between semicolons
        }
        if (!error) {
            error = Execute(parsed_, outcome, session, replies);
        }
        outcome.error = error;
        if (observer_) {
            observer_(outcome);
        }
        if (error) {
            session.errors.Push(*error);
            position = line.size();
            return false;
        }
        return position < line.size();
    }
    return false;
}

std::optional<Error> Interpreter::Execute(const ParsedCommand& parsed, CommandOutcome& outcome,
                                              Session& session, std::vector<std::string>& replies) {
    const Match match = parsed.common ? MatchCommon(parsed) : MatchSubsystem(parsed);
    outcome.command = match.command;
    outcome.query = parsed.query;
    if (match.command == Command::None) {
        return Error::UndefinedHeader;
    }
    if (match.suffixError) {
        return match.suffixError;
    }
    if (parsed.query ? !match.queryable : !match.settable) {
        return Error::UndefinedHeader;
    }
    const std::size_t wanted = !parsed.query && TakesParameter(match.command) ? 1 : 0;
    if (parsed.parameterCount != wanted) {
        return Error::CommandError;
    }
    const Parameter& parameter = parsed.parameters[0];
    const int channel = static_cast<int>(match.channel);

    if (parsed.query) {
        switch (match.command) {
        case Command::Identify:
            replies.push_back(IdentityReply());
            break;
        case Command::OperationComplete:
            // Every command runs to its end before the next is read: all is out.
            replies.emplace_back("1");
            break;
        case Command::Code:
            replies.push_back(std::to_string(instrument_.Code(channel)));
            break;
        case Command::Output:
            replies.emplace_back(instrument_.Output() ? "1" : "0");
            break;
        case Command::Port:
            replies.push_back(PortReply(instrument_.PortAddress()));
            break;
        default: // SYSTem:ERRor[:NEXT]?, the last query there is
            replies.push_back(FormatError(session.errors.Pop()));
            break;
        }
        return std::nullopt;
    }

    switch (match.command) {
    case Command::Reset:
        instrument_.Reset();
        return std::nullopt;
    case Command::ClearStatus:
        session.errors.Clear();
        return std::nullopt;
    case Command::Sweep:
        instrument_.Sweep();
        return std::nullopt;
    case Command::Code:
    case Command::Step: {
        std::int64_t value = 0;
        if (const auto error = WholeNumber(parameter, value)) {
            return error;
        }
        return Refusal(match.command == Command::Code ? instrument_.WriteCode(channel, value)
                                                      : instrument_.Step(channel, value));
    }
    case Command::Output: {
        bool on = false;
        if (const auto error = Boolean(parameter, on)) {
            return error;
        }
        instrument_.SetOutput(on);
        return std::nullopt;
    }
    default: { // SYSTem:PORT, the last setting there is
        PortMenuItem item{};
        if (const auto error = PortName(parameter, item)) {
            return error;
        }
        instrument_.SelectPort(item);
        return std::nullopt;
    }
    }
}

} // namespace qv4130::scpi
