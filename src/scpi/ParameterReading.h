#pragma once

#include "CommandParser.h"
#include "CommandTable.h"
#include "board/Board.h"

#include <optional>
#include <string>
#include <vector>

namespace qv4130::scpi {

// A setting's parameters checked against its row: none where none is taken
// (-108), one where one is needed (-109, -108 for more), of the row's kind
// (-104) and within its limits (-222), a decimal value for a whole-number
// setting rounded first. MIN, MAX and DEFault stand for the limits.
std::optional<Error> ReadValue(const ParsedCommand& parsed, const ParameterRule& rule,
                               const Board& instrument, Value& value);

// A query's parameter: MIN, MAX or DEFault of a numeric setting, answered from
// its limits; anything else is not allowed (-108).
std::optional<Error> AnswerLimit(const ParsedCommand& parsed, const ParameterRule& rule,
                                 const Board& instrument, std::vector<std::string>& replies);

// A real number as the instrument answers it: "2.5", "0.000610352".
std::string FormatReal(double value);

} // namespace qv4130::scpi
