#include "ParameterReading.h"

#include "qv4130/PlainText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qv4130::scpi {

namespace {

using text::EqualsIgnoringCase;

// MIN, MAX or DEFault, in either form.
std::optional<double> NamedLimit(const Parameter& parameter, const Limits& limits, Named& named) {
    if (parameter.kind != ParameterKind::Character) {
        return std::nullopt;
    }
    const std::string_view name = parameter.text;
    if (EqualsIgnoringCase(name, "MIN") || EqualsIgnoringCase(name, "MINIMUM")) {
        named = Named::Min;
        return limits.min;
    }
    if (EqualsIgnoringCase(name, "MAX") || EqualsIgnoringCase(name, "MAXIMUM")) {
        named = Named::Max;
        return limits.max;
    }
    if (EqualsIgnoringCase(name, "DEF") || EqualsIgnoringCase(name, "DEFAULT")) {
        named = Named::Default;
        return limits.def;
    }
    return std::nullopt;
}

// The place of the parameter's mnemonic among `names`, if it is one of them.
std::optional<std::size_t> NameIndex(const Parameter& parameter,
                                     std::span<const std::string_view> names) {
    if (parameter.kind != ParameterKind::Character) {
        return std::nullopt;
    }
    const auto found = std::ranges::find_if(
        names, [&](std::string_view name) { return NamesMnemonic(parameter.text, name); });
    return found == names.end() ? std::nullopt
                                : std::optional(static_cast<std::size_t>(found - names.begin()));
}

std::optional<Error> Number(const Parameter& parameter, const ParameterForm& form,
                            const Limits& limits, Value& value) {
    if (const auto named = NamedLimit(parameter, limits, value.named)) {
        value.real = *named;
    } else if (NameIndex(parameter, form.names)) {
        value.named = Named::Own;
        return std::nullopt;
    } else if (parameter.kind != ParameterKind::Number) {
        return Error::DataTypeError;
    } else if (form.kind == ValueKind::Integer) {
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
    if (parameter.kind == ParameterKind::String || parameter.kind == ParameterKind::ChannelList) {
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

std::optional<Error> Choice(const Parameter& parameter, const ParameterForm& form, Value& value) {
    if (parameter.kind != ParameterKind::Character) {
        return Error::DataTypeError;
    }
    const auto index = NameIndex(parameter, form.names);
    value.integer = static_cast<std::int64_t>(index.value_or(0));
    return index ? std::nullopt : std::optional(Error::DataOutOfRange);
}

// Digits between blanks; too many of them make a number past every channel.
long Whole(std::string_view digits) {
    return text::ParseWhole<long>(text::Trimmed(digits)).value_or(-1);
}

// "1,3:4" as the channels 1, 3 and 4; the parser has checked its form.
std::optional<Error> Channels(const Parameter& parameter, const Limits& limits, Value& value) {
    if (parameter.kind != ParameterKind::ChannelList) {
        return Error::DataTypeError;
    }
    ChannelList& list = value.channels;
    std::string_view entries = parameter.text;
    while (!entries.empty()) {
        const std::size_t comma = std::min(entries.find(','), entries.size());
        const std::string_view entry = entries.substr(0, comma);
        entries.remove_prefix(std::min(comma + 1, entries.size()));
        const std::size_t colon = std::min(entry.find(':'), entry.size());
        const long first = Whole(entry.substr(0, colon));
        const long last = colon < entry.size() ? Whole(entry.substr(colon + 1)) : first;
        for (long channel = first;; channel += first <= last ? 1 : -1) {
            if (!(channel >= limits.min && channel <= limits.max)) {
                return Error::DataOutOfRange;
            }
            if (list.count == ChannelList::Capacity) {
                return Error::TooMuchData;
            }
            list.channels[list.count++] = static_cast<std::uint8_t>(channel);
            if (channel == last) {
                break;
            }
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<Error> ReadValue(const Parameter& parameter, const ParameterForm& form,
                               const Limits& limits, Value& value) {
    value.given = true;
    switch (form.kind) {
    case ValueKind::None:
        return std::nullopt;
    case ValueKind::Integer:
    case ValueKind::Real:
        return Number(parameter, form, limits, value);
    case ValueKind::Boolean:
        return Boolean(parameter, value);
    case ValueKind::Choice:
        return Choice(parameter, form, value);
    case ValueKind::ChannelList:
        break;
    }
    return Channels(parameter, limits, value);
}

bool NamesMnemonic(std::string_view text, std::string_view name) {
    const std::size_t shortLength =
        std::min(name.find_first_of("abcdefghijklmnopqrstuvwxyz"), name.size());
    return EqualsIgnoringCase(text, name) || EqualsIgnoringCase(text, name.substr(0, shortLength));
}

std::optional<Error> AnswerLimit(const ParsedCommand& parsed, ValueKind kind, const Limits& limits,
                                 RealFormat format, std::vector<std::string>& replies) {
    Named named = Named::None;
    const auto limit =
        parsed.parameterCount == 1 ? NamedLimit(parsed.parameters[0], limits, named) : std::nullopt;
    if (!limit) {
        return Error::ParameterNotAllowed;
    }
    replies.push_back(kind == ValueKind::Integer ? std::to_string(static_cast<std::int64_t>(*limit))
                                                 : format(*limit));
    return std::nullopt;
}

std::string FormatReal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

} // namespace qv4130::scpi
