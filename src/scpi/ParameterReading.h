#pragma once

#include "CommandParser.h"
#include "CommandTable.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qv4130::scpi {

// A command's parameters checked against its row, whatever the instrument: no
// more than it takes (-108), those that must be given (-109), each of its kind
// (-104) and within its limits (-222), a decimal value for a whole-number
// setting rounded first. MIN, MAX and DEFault stand for a number's limits; a
// Choice takes its names in short or long form. `limits` are each parameter's
// as they are now; `values` get what was read.
std::optional<Error> ReadValues(const ParsedCommand& parsed, std::span<const ParameterForm> forms,
                                std::span<const Limits> limits, std::size_t required,
                                std::span<Value* const> values);

// A query's parameter: MIN, MAX or DEFault of a numeric setting, answered from
// its limits; anything else is not allowed (-108).
std::optional<Error> AnswerLimit(const ParsedCommand& parsed, ValueKind kind, const Limits& limits,
                                 RealFormat format, std::vector<std::string>& replies);

// Whether `text` is `name` ("IMMediate") in its short form (IMM) or its long
// one, in any case.
bool NamesMnemonic(std::string_view text, std::string_view name);

} // namespace qv4130::scpi
