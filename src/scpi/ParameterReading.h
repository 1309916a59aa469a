#pragma once

#include "CommandParser.h"
#include "CommandTable.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qv4130::scpi {

// One parameter of a command checked against what its row takes, whatever the
// instrument: of its kind (-104) and within `limits`, its limits as they are
// now (-222), a decimal value for a whole-number setting rounded first. MIN,
// MAX and DEFault stand for a number's limits; a Choice takes its names in
// short or long form. How many parameters a command takes (-108, -109) is the
// engine's to check.
std::optional<Error> ReadValue(const Parameter& parameter, const ParameterForm& form,
                               const Limits& limits, Value& value);

// A query's parameter: MIN, MAX or DEFault of a numeric setting, answered from
// its limits; anything else is not allowed (-108).
std::optional<Error> AnswerLimit(const ParsedCommand& parsed, ValueKind kind, const Limits& limits,
                                 RealFormat format, std::vector<std::string>& replies);

// Whether `text` is `name` ("IMMediate") in its short form (IMM) or its long
// one, in any case.
bool NamesMnemonic(std::string_view text, std::string_view name);

} // namespace qv4130::scpi
