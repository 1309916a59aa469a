#pragma once

// Small pieces of plain-text reading shared by every parser in the project
// (entry fields, SCPI, command lines, the port library's files). ASCII only:
// everything these parsers read is.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

namespace qv4130::text {

// A space or a tab: what separates words on a line.
constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A blank or a line ending (CR or LF), as files from any system end their lines.
constexpr bool IsSpaceOrLineEnd(char c) {
    return IsBlank(c) || c == '\r' || c == '\n';
}

constexpr char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

// Text from a client, a command line or a file as a terminal can safely show
// it: a control byte (an escape sequence, a NUL, a newline), a backslash and
// `alsoEscaped` as \xNN, never raw, so that echoing a mistake can't clear the
// screen or forge another line.
inline std::string Printable(std::string_view text, char alsoEscaped = '\\') {
    constexpr char Digits[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\' || c == alsoEscaped) {
            shown += {'\\', 'x', Digits[byte >> 4], Digits[byte & 0xF]};
        } else {
            shown.push_back(c);
        }
    }
    return shown;
}

// `text` without the blanks and line endings at either end.
constexpr std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsSpaceOrLineEnd(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpaceOrLineEnd(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The number `text` spells in `base`, when the whole of it is that number and
// it fits `Number`; no sign is taken for unsigned types, no blanks anywhere.
template <typename Number> std::optional<Number> ParseWhole(std::string_view text, int base = 10) {
    Number value{};
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

// A finite decimal number ("-2", "0.5", "1.25E-01"), when the whole of `text`
// is one. A leading + is taken too, as instruments send their readings.
inline std::optional<double> ParseDecimal(std::string_view text) {
    if (text.starts_with('+') && !text.substr(1).starts_with('-')) {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// A finite decimal number above 0 (a voltage, a time), when the whole of
// `text` is one.
inline std::optional<double> ParsePositive(std::string_view text) {
    const std::optional<double> value = ParseDecimal(text);
    return value && *value > 0.0 ? value : std::nullopt;
}

} // namespace qv4130::text
