#pragma once

#include "ScpiErrors.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qv4130::scpi {

// More header levels or parameters than this belong to no command of ours; the
// parser still counts them so the interpreter can say so.
inline constexpr std::size_t MaxHeaderElements = 6;
inline constexpr std::size_t MaxParameters = 2;

// One level of a header: its mnemonic with any numeric suffix taken off.
struct HeaderElement {
    std::string_view keyword;
    std::optional<std::int64_t> suffix;
};

enum class ParameterKind { Number, Character, String, ChannelList };

struct Parameter {
    ParameterKind kind = ParameterKind::Number;
    // A character parameter's mnemonic (ON, LPT1, ...); a channel list's entries,
    // what stands between "(@" and ")": "5", "1,3", "0:15".
    std::string_view text;
    // A number: whether it is whole, and its value, held far outside every range
    // when it is too large to matter.
    bool integral = true;
    std::int64_t value = 0;
    // The number as read, fraction and all.
    double number = 0;
};

struct ParsedCommand {
    bool common = false; // *IDN? and the like: header[0] is the mnemonic after '*'
    bool rooted = false; // a leading ':': the header starts from the root, not the path
    std::array<HeaderElement, MaxHeaderElements> header{};
    std::size_t headerLength = 0; // 0: an empty command
    bool query = false;
    std::array<Parameter, MaxParameters> parameters{};
    std::size_t parameterCount = 0;
};

// Reads the command that starts at `position` in `line`, up to its ';' or the
// end of the line, and moves `position` past it. Headers are case-insensitive
// mnemonics separated by ':', with an optional leading ':' and a trailing '?' for
// a query; parameters follow after white space, separated by commas: decimal
// numbers, #H/#Q/#B non-decimal numbers, character mnemonics, quoted strings and
// channel lists ("(@5)", "(@1,3:4)").
// A malformed command gives SyntaxError, and `position` is then of no use.
std::optional<Error> ParseCommand(std::string_view line, std::size_t& position,
                                  ParsedCommand& command);

} // namespace qv4130::scpi
