#include "ParameterReading.h"

#include "text/PlainText.h"

#include <cmath>
#include <cstdio>

namespace qv4130::scpi {

namespace {

using text::EqualsIgnoringCase;

bool Numeric(ValueKind kind) {
    return kind == ValueKind::Integer || kind == ValueKind::Real;
}

// MIN, MAX or DEFault, in either form.
std::optional<double> NamedLimit(const Parameter& parameter, const Limits& limits) {
    if (parameter.kind != ParameterKind::Character) {
        return std::nullopt;
    }
    const std::string_view name = parameter.text;
    if (EqualsIgnoringCase(name, "MIN") || EqualsIgnoringCase(name, "MINIMUM")) {
        return limits.min;
    }
    if (EqualsIgnoringCase(name, "MAX") || EqualsIgnoringCase(name, "MAXIMUM")) {
        return limits.max;
    }
    if (EqualsIgnoringCase(name, "DEF") || EqualsIgnoringCase(name, "DEFAULT")) {
        return limits.def;
    }
    return std::nullopt;
}

std::optional<Error> Number(const Parameter& parameter, const ParameterRule& rule,
                            const Limits& limits, Value& value) {
    if (const auto named = NamedLimit(parameter, limits)) {
        value.real = *named;
    } else if (parameter.kind != ParameterKind::Number) {
        return Error::DataTypeError;
    } else if (rule.kind == ValueKind::Integer) {
        // A decimal value for a whole-number setting is rounded to the nearest,
        // halves away from zero, as SCPI instruments take it: `*ESE 10.123` is
        // `*ESE 10`. The range is checked on what is rounded.
        value.real = std::round(parameter.number);
    } else {
        value.real = parameter.number;
    }
    if (!(value.real >= limits.min && value.real <= limits.max)) {
        return Error::DataOutOfRange;
    }
    value.integer = static_cast<std::int64_t>(value.real);
    return std::nullopt;
}

// ON, OFF, 1 or 0.
std::optional<Error> Boolean(const Parameter& parameter, Value& value) {
    if (parameter.kind == ParameterKind::String) {
        return Error::DataTypeError;
    }
    bool on = false;
    bool valid = false;
    if (parameter.kind == ParameterKind::Character) {
        on = EqualsIgnoringCase(parameter.text, "ON");
        valid = on || EqualsIgnoringCase(parameter.text, "OFF");
    } else {
        on = parameter.value == 1;
        valid = parameter.integral && (on || parameter.value == 0);
    }
    value.integer = on ? 1 : 0;
    return valid ? std::nullopt : std::optional(Error::DataOutOfRange);
}

std::optional<Error> PortName(const Parameter& parameter, Value& value) {
    if (parameter.kind != ParameterKind::Character) {
        return Error::DataTypeError;
    }
    for (const PortMenuItem candidate : PortMenuItems) {
        if (EqualsIgnoringCase(parameter.text, PortMenuName(candidate))) {
            value.port = candidate;
            return std::nullopt;
        }
    }
    return Error::DataOutOfRange;
}

} // namespace

std::optional<Error> ReadValue(const ParsedCommand& parsed, const ParameterRule& rule,
                               const Board& instrument, Value& value) {
    const std::size_t wanted = rule.kind == ValueKind::None ? 0 : 1;
    if (parsed.parameterCount != wanted) {
        return parsed.parameterCount < wanted ? Error::MissingParameter
                                              : Error::ParameterNotAllowed;
    }
    const Parameter& parameter = parsed.parameters[0];
    switch (rule.kind) {
    case ValueKind::None:
        return std::nullopt;
    case ValueKind::Integer:
    case ValueKind::Real:
        return Number(parameter, rule, LimitsNow(rule, instrument), value);
    case ValueKind::Boolean:
        return Boolean(parameter, value);
    case ValueKind::Port:
        break;
    }
    return PortName(parameter, value);
}

std::optional<Error> AnswerLimit(const ParsedCommand& parsed, const ParameterRule& rule,
                                 const Board& instrument, std::vector<std::string>& replies) {
    if (parsed.parameterCount != 1 || !Numeric(rule.kind)) {
        return Error::ParameterNotAllowed;
    }
    const auto limit = NamedLimit(parsed.parameters[0], LimitsNow(rule, instrument));
    if (!limit) {
        return Error::ParameterNotAllowed;
    }
    replies.push_back(rule.kind == ValueKind::Integer
                          ? std::to_string(static_cast<std::int64_t>(*limit))
                          : FormatReal(*limit));
    return std::nullopt;
}

std::string FormatReal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

} // namespace qv4130::scpi
