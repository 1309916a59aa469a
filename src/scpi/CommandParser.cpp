#include "CommandParser.h"

#include "qv4130/PlainText.h"

#include <algorithm>
#include <cmath>

namespace qv4130::scpi {

namespace {

// Numbers are held at most this far from 0: far outside every range, and safe
// from overflow while digits are still being added.
constexpr std::int64_t NumberLimit = 1'000'000'000'000'000;

// Line endings count as blanks: a client may end its lines with CR LF.
constexpr auto IsBlank = text::IsSpaceOrLineEnd;
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

class Cursor {
public:
    Cursor(std::string_view text, std::size_t& position) : text_(text), pos_(position) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    bool Take(char c) {
        if (Peek() == c && !AtEnd()) {
            ++pos_;
            return true;
        }
        return false;
    }
    void Advance() { ++pos_; }
    void SkipBlanks() {
        while (!AtEnd() && IsBlank(text_[pos_])) {
            ++pos_;
        }
    }
    // A program mnemonic: a letter, then letters, digits and underscores.
    std::string_view Mnemonic() {
        const std::size_t start = pos_;
        if (!IsLetter(Peek())) {
            return {};
        }
        while (!AtEnd() && (IsLetter(text_[pos_]) || IsDigit(text_[pos_]) || text_[pos_] == '_')) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }
    // Digits of `base`; false when there are none.
    bool Digits(int base, std::int64_t& value) {
        const std::size_t start = pos_;
        value = 0;
        for (; !AtEnd(); ++pos_) {
            const char c = text_[pos_];
            int digit = base;
            if (IsDigit(c)) {
                digit = c - '0';
            } else if (IsLetter(c)) {
                digit = (c | 0x20) - 'a' + 10;
            }
            if (digit >= base) {
                break;
            }
            value = std::min(value * base + digit, NumberLimit);
        }
        return pos_ > start;
    }
    std::size_t Position() const { return pos_; }
    std::string_view From(std::size_t start) const { return text_.substr(start, pos_ - start); }

private:
    std::string_view text_;
    std::size_t& pos_;
};

HeaderElement SplitSuffix(std::string_view mnemonic) {
    std::size_t digits = mnemonic.size();
    while (digits > 0 && IsDigit(mnemonic[digits - 1])) {
        --digits;
    }
    HeaderElement element{mnemonic.substr(0, digits), std::nullopt};
    if (digits < mnemonic.size()) {
        std::int64_t suffix = 0;
        for (const char c : mnemonic.substr(digits)) {
            suffix = std::min(suffix * 10 + (c - '0'), NumberLimit);
        }
        element.suffix = suffix;
    }
    return element;
}

std::optional<Error> ParseHeader(Cursor& cursor, ParsedCommand& command) {
    if (cursor.Take('*')) {
        command.common = true;
        command.header[0] = {cursor.Mnemonic(), std::nullopt};
        command.headerLength = 1;
        if (command.header[0].keyword.empty()) {
            return Error::SyntaxError;
        }
    } else {
        command.rooted = cursor.Take(':');
        do {
            const std::string_view mnemonic = cursor.Mnemonic();
            if (mnemonic.empty()) {
                return Error::SyntaxError;
            }
            if (command.headerLength < MaxHeaderElements) {
                command.header[command.headerLength] = SplitSuffix(mnemonic);
            }
            ++command.headerLength;
        } while (cursor.Take(':'));
    }
    command.query = cursor.Take('?');
    return std::nullopt;
}

// <NRf>: sign, digits with an optional fraction, optional exponent.
std::optional<Error> ParseDecimal(Cursor& cursor, Parameter& parameter) {
    const bool negative = cursor.Take('-');
    if (!negative) {
        cursor.Take('+');
    }
    const std::size_t unsignedStart = cursor.Position();
    std::int64_t whole = 0;
    bool anyDigit = cursor.Digits(10, whole);
    bool plainInteger = true;
    if (cursor.Take('.')) {
        std::int64_t fraction = 0;
        anyDigit = cursor.Digits(10, fraction) || anyDigit;
        plainInteger = false;
    }
    if (!anyDigit) {
        return Error::SyntaxError;
    }
    if (cursor.Peek() == 'e' || cursor.Peek() == 'E') {
        cursor.Advance();
        if (!cursor.Take('-')) {
            cursor.Take('+');
        }
        std::int64_t exponent = 0;
        if (!cursor.Digits(10, exponent)) {
            return Error::SyntaxError;
        }
        plainInteger = false;
    }
    parameter.kind = ParameterKind::Number;
    if (plainInteger) {
        parameter.value = negative ? -whole : whole;
        parameter.number = static_cast<double>(parameter.value);
        return std::nullopt;
    }
    const std::optional<double> magnitude = text::ParseDecimal(cursor.From(unsignedStart));
    const double value = negative ? -magnitude.value_or(0.0) : magnitude.value_or(0.0);
    // Beyond a double's range counts as no whole number we could take.
    parameter.integral = magnitude && value == std::trunc(value);
    parameter.number = magnitude ? value : std::copysign(HUGE_VAL, value);
    parameter.value = static_cast<std::int64_t>(
        std::clamp(value, -static_cast<double>(NumberLimit), static_cast<double>(NumberLimit)));
    return std::nullopt;
}

// #H, #Q or #B, then the digits of that base.
std::optional<Error> ParseNonDecimal(Cursor& cursor, Parameter& parameter) {
    cursor.Advance(); // '#'
    int base = 0;
    switch (cursor.Peek() | 0x20) {
    case 'h':
        base = 16;
        break;
    case 'q':
        base = 8;
        break;
    case 'b':
        base = 2;
        break;
    default:
        return Error::SyntaxError;
    }
    cursor.Advance();
    parameter.kind = ParameterKind::Number;
    const bool anyDigit = cursor.Digits(base, parameter.value);
    parameter.number = static_cast<double>(parameter.value);
    return anyDigit ? std::nullopt : std::optional(Error::SyntaxError);
}

// "..." or '...', the quote doubled inside.
std::optional<Error> ParseString(Cursor& cursor, Parameter& parameter) {
    const char quote = cursor.Peek();
    cursor.Advance();
    while (!cursor.AtEnd()) {
        if (!cursor.Take(quote)) {
            cursor.Advance();
        } else if (!cursor.Take(quote)) {
            parameter.kind = ParameterKind::String;
            return std::nullopt;
        }
    }
    return Error::SyntaxError;
}

// (@5), (@1,3), (@0:15): channels or ranges of them, separated by commas.
std::optional<Error> ParseChannelList(Cursor& cursor, Parameter& parameter) {
    cursor.Advance(); // '('
    if (!cursor.Take('@')) {
        return Error::SyntaxError;
    }
    const std::size_t start = cursor.Position();
    do {
        std::int64_t channel = 0;
        cursor.SkipBlanks();
        if (!cursor.Digits(10, channel) || (cursor.Take(':') && !cursor.Digits(10, channel))) {
            return Error::SyntaxError;
        }
        cursor.SkipBlanks();
    } while (cursor.Take(','));
    parameter.text = cursor.From(start);
    parameter.kind = ParameterKind::ChannelList;
    return cursor.Take(')') ? std::nullopt : std::optional(Error::SyntaxError);
}

std::optional<Error> ParseParameter(Cursor& cursor, Parameter& parameter) {
    parameter = {};
    const char first = cursor.Peek();
    if (first == '"' || first == '\'') {
        return ParseString(cursor, parameter);
    }
    if (first == '#') {
        return ParseNonDecimal(cursor, parameter);
    }
    if (first == '(') {
        return ParseChannelList(cursor, parameter);
    }
    if (first == '+' || first == '-' || first == '.' || IsDigit(first)) {
        return ParseDecimal(cursor, parameter);
    }
    parameter.kind = ParameterKind::Character;
    parameter.text = cursor.Mnemonic();
    return parameter.text.empty() ? std::optional(Error::SyntaxError) : std::nullopt;
}

} // namespace

std::optional<Error> ParseCommand(std::string_view line, std::size_t& position,
                                  ParsedCommand& command) {
    command.common = false;
    command.rooted = false;
    command.headerLength = 0;
    command.query = false;
    command.parameterCount = 0;

    Cursor cursor(line, position);
    cursor.SkipBlanks();
    if (cursor.AtEnd() || cursor.Take(';')) {
        return std::nullopt;
    }
    if (const auto error = ParseHeader(cursor, command)) {
        return error;
    }
    // The header ends the command, or white space parts it from the parameters.
    if (!cursor.AtEnd() && cursor.Peek() != ';' && !IsBlank(cursor.Peek())) {
        return Error::SyntaxError;
    }
    cursor.SkipBlanks();
    if (!cursor.AtEnd() && cursor.Peek() != ';') {
        while (true) {
            Parameter parameter;
            if (const auto error = ParseParameter(cursor, parameter)) {
                return error;
            }
            if (command.parameterCount < MaxParameters) {
                command.parameters[command.parameterCount] = parameter;
            }
            ++command.parameterCount;
            cursor.SkipBlanks();
            if (cursor.AtEnd() || cursor.Peek() == ';') {
                break;
            }
            if (!cursor.Take(',')) {
                return Error::SyntaxError;
            }
            cursor.SkipBlanks();
        }
    }
    cursor.Take(';');
    return std::nullopt;
}

} // namespace qv4130::scpi
