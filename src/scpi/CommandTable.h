#pragma once

#include "HeaderPattern.h"
#include "ScpiErrors.h"
#include "Session.h"
#include "board/Board.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qv4130::scpi {

enum class ValueKind { None, Integer, Real, Boolean, Port };

// A numeric parameter's range; MIN, MAX and DEFault name its three figures.
struct Limits {
    double min = 0;
    double max = 0;
    double def = 0;
};

struct ParameterRule {
    ValueKind kind = ValueKind::None;
    Limits limits{};
    // Limits that follow a setting of the instrument, in place of `limits`.
    Limits (*limitsNow)(const Board&) = nullptr;
};

constexpr ParameterRule Integer(double min, double max, double def) {
    return {ValueKind::Integer, {min, max, def}};
}
constexpr ParameterRule Real(double min, double max, double def) {
    return {ValueKind::Real, {min, max, def}};
}
// A real number whose limits follow a setting of the instrument.
constexpr ParameterRule Real(Limits (*limitsNow)(const Board&)) {
    return {ValueKind::Real, {}, limitsNow};
}

// A setting's parameter, read and checked against its row before the handler runs.
struct Value {
    std::int64_t integer = 0; // Integer, and Boolean as 1 or 0
    double real = 0;
    PortMenuItem port{};
};

// What a handler is given: the instrument, the client's session, the board's
// events for every session to latch, the header's numeric suffix (a channel
// 0-15), the parameter, and the line's replies so far.
struct Call {
    Board& instrument;
    Session& session;
    BoardEvents& events;
    int suffix;
    Value value;
    std::vector<std::string>& replies;
};

using Handler = std::optional<Error> (*)(Call&);

// One command. A row with a `set` handler is a command, with a `query` handler a
// query (HEADER?), with both, both. Numeric suffixes name channels 0-15.
struct CommandRow {
    std::string_view header; // SOURce:CHANnel#:CODE, [:NODE] optional, '#' a suffix
    Handler set = nullptr;
    Handler query = nullptr;
    ParameterRule parameter{}; // the setting's; a numeric one's query also takes MIN|MAX|DEF
    std::string_view help;
    HeaderPattern pattern = CompileHeader(header);
};

// Every command the instrument knows, in the order the help lists them.
std::span<const CommandRow> CommandTable();
// The common commands (*IDN and the like), or the others, in the table's order.
std::span<const CommandRow* const> CommandsOfKind(bool common);

Limits LimitsNow(const ParameterRule& parameter, const Board& instrument);

// "maker,model,serial,version" as *IDN? answers.
std::string IdentityReply();

} // namespace qv4130::scpi
