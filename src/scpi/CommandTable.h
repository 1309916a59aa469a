#pragma once

#include "CommandParser.h"
#include "HeaderPattern.h"
#include "ScpiErrors.h"
#include "Session.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace qv4130::scpi {

// The SCPI engine's command table, over any instrument (`Device`): the board
// (BoardCommands.h) and the virtual board's simulated meter
// (virtualboard/MeterCommands.h) each have one. One row per command drives the
// parser's checks, the lookup and the help.

enum class ValueKind { None, Integer, Real, Boolean, Choice, ChannelList };

// A numeric parameter's range; MIN, MAX and DEFault name its three figures.
struct Limits {
    double min = 0;
    double max = 0;
    double def = 0;
};

// What one parameter takes, whatever the instrument.
struct ParameterForm {
    ValueKind kind = ValueKind::None;
    // Integer and Real: the numbers taken; ChannelList: the channels.
    Limits limits{};
    // Choice: its mnemonics ("IMMediate", "LPT1"), in short or long form. A
    // number: one mnemonic it also takes in place of a number ("AUTO").
    std::span<const std::string_view> names{};
};

constexpr ParameterForm Integer(double min, double max, double def) {
    return {ValueKind::Integer, {min, max, def}};
}
constexpr ParameterForm Real(double min, double max, double def) {
    return {ValueKind::Real, {min, max, def}};
}
// A real number that may also be given as a mnemonic of its own ("AUTO").
constexpr ParameterForm RealOr(double min, double max, double def,
                               std::span<const std::string_view> also) {
    return {ValueKind::Real, {min, max, def}, also};
}
constexpr ParameterForm Boolean() {
    return {ValueKind::Boolean};
}
constexpr ParameterForm Choice(std::span<const std::string_view> names) {
    return {ValueKind::Choice, {}, names};
}
// A channel list, "(@5)" or "(@1,3:4)", of channels `first` to `last`.
constexpr ParameterForm Channels(int first, int last) {
    return {ValueKind::ChannelList, {static_cast<double>(first), static_cast<double>(last), 0}};
}

// One parameter of a row: its form, and limits that follow a setting of the
// instrument in place of the form's.
template <typename Device> struct ParameterRule : ParameterForm {
    Limits (*limitsNow)(const Device&) = nullptr;

    constexpr ParameterRule() = default;
    constexpr ParameterRule(ParameterForm form, Limits (*now)(const Device&) = nullptr)
        : ParameterForm(form), limitsNow(now) {}

    Limits LimitsNow(const Device& instrument) const {
        return limitsNow ? limitsNow(instrument) : limits;
    }
};

// A real number whose limits follow a setting of the instrument.
template <typename Device>
constexpr ParameterRule<Device> Real(Limits (*limitsNow)(const Device&)) {
    return {{ValueKind::Real}, limitsNow};
}

inline constexpr std::size_t MaxParameterValues = 2;
static_assert(MaxParameterValues <= MaxParameters);

// More than one parameter, or parameters that may be left out (from the end):
// "CONF [range[,res]]".
struct ParameterList {
    std::array<ParameterForm, MaxParameterValues> forms{};
    std::size_t count = 0;
    std::size_t required = 0;
    bool forQuery = false;
};
constexpr ParameterList Optional(ParameterForm first) {
    return {{first}, 1, 0};
}
constexpr ParameterList Optional(ParameterForm first, ParameterForm second) {
    return {{first, second}, 2, 0};
}
// Parameters that the query takes too, all of them optional there, in place
// of MIN|MAX|DEF: "ROUTe:CLOSe? [(@list)]", "MEASure? [range[,res]]".
constexpr ParameterList ForQuery(ParameterList list) {
    list.forQuery = true;
    return list;
}
constexpr ParameterList ForQuery(ParameterForm one) {
    return {{one}, 1, 1, true};
}

// A row's parameters: none, one that must be given (a setting's), or optional ones.
template <typename Device> struct Parameters {
    std::array<ParameterRule<Device>, MaxParameterValues> rules{};
    std::size_t count = 0;
    std::size_t required = 0;
    bool forQuery = false;

    constexpr Parameters() = default;
    constexpr Parameters(ParameterRule<Device> one)
        : rules{one}, count(one.kind == ValueKind::None ? 0 : 1), required(count) {}
    constexpr Parameters(ParameterForm one) : Parameters(ParameterRule<Device>(one)) {}
    constexpr Parameters(ParameterList list)
        : rules{list.forms[0], list.forms[1]}, count(list.count), required(list.required),
          forQuery(list.forQuery) {}

    // One numeric setting: its query takes MIN|MAX|DEF and answers that limit.
    bool OneNumber() const {
        return count == 1 && required == 1 && !forQuery &&
               (rules[0].kind == ValueKind::Integer || rules[0].kind == ValueKind::Real);
    }
};

// The channels of a channel list, in the order given.
struct ChannelList {
    static constexpr std::size_t Capacity = 16;
    std::array<std::uint8_t, Capacity> channels{};
    std::size_t count = 0;
};

// A number given by name: MIN, MAX, DEFault, or the parameter's own mnemonic.
enum class Named { None, Min, Max, Default, Own };

// A parameter as the handler gets it, read and checked against its row.
struct Value {
    bool given = false; // an optional parameter left out is not
    Named named = Named::None;
    std::int64_t integer = 0; // Integer, Boolean as 1 or 0, Choice: the index of its name
    double real = 0;          // Integer and Real
    ChannelList channels;
};

// What a handler is given: the instrument, the client's session, the
// instrument's events for every session to latch, the header's numeric suffix,
// the parameters, and the line's replies so far.
template <typename Device> struct Call {
    Device& instrument;
    Session& session;
    SharedEvents& events;
    int suffix;
    Value value;  // the first parameter
    Value second; // the second, for the rows that take two
    std::vector<std::string>& replies;
};

template <typename Device> using Handler = std::optional<Error> (*)(Call<Device>&);

// One command. A row with a `set` handler is a command, with a `query` handler a
// query (HEADER?), with both, both.
template <typename Device> struct CommandRow {
    std::string_view header; // SOURce:CHANnel#:CODE, [:NODE] optional, '#' a suffix
    Handler<Device> set = nullptr;
    Handler<Device> query = nullptr;
    Parameters<Device> parameters{}; // the setting's; a numeric one's query also takes MIN|MAX|DEF
    std::string_view help;
    HeaderPattern pattern = CompileHeader(header);
};

// A real number as an instrument answers it: "2.5" from the board,
// "+2.500000E+00" from the meter.
using RealFormat = std::string (*)(double);
// "2.5", "0.000610352".
std::string FormatReal(double value);

// Everything the engine knows of an instrument: its table, with the rows of
// common commands (*IDN and the like) and of the others apart (a header is
// looked up among its own kind only), what numeric suffixes name, its shared
// events and conditions, and how it writes a real number.
template <typename Device> struct CommandSet {
    std::span<const CommandRow<Device>> rows;
    std::span<const CommandRow<Device>* const> common;
    std::span<const CommandRow<Device>* const> subsystem;
    int suffixes = 0; // a suffix names 0 to suffixes - 1: the board's channels
    std::span<const SharedEvent> events{};
    StatusConditions (*conditions)(const Device&) = nullptr;
    RealFormat formatReal = FormatReal;

    std::span<const CommandRow<Device>* const> OfKind(bool isCommon) const {
        return isCommon ? common : subsystem;
    }
};

// The rows of `Rows` (a table with static storage) of one kind, for a CommandSet.
template <const auto& Rows, bool Common> constexpr auto RowsOfKind() {
    using Row = std::remove_cvref_t<decltype(Rows[0])>;
    constexpr std::size_t Count = static_cast<std::size_t>(
        std::ranges::count_if(Rows, [](const Row& row) { return row.pattern.common == Common; }));
    std::array<const Row*, Count> kind{};
    std::size_t next = 0;
    for (const Row& row : Rows) {
        if (row.pattern.common == Common) {
            kind[next++] = &row;
        }
    }
    return kind;
}

// The instrument's commands, defined beside its table (CommandsOf<Board> in
// BoardCommands.cpp, CommandsOf<SimulatedDmm> in virtualboard/MeterCommands.cpp).
template <typename Device> const CommandSet<Device>& CommandsOf();

} // namespace qv4130::scpi
