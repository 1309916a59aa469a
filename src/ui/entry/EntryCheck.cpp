#include "EntryCheck.h"

#include "qv4130/PlainText.h"

#include "qv4130/BoardVocabulary.h"

#include <cstddef>
#include <limits>

namespace qv4130::entry {

namespace {

constexpr std::int32_t HighestCode = FullScaleCode;
constexpr std::int32_t HighestStep = MaxStep;

using text::IsBlank;
bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<int> HexDigitValue(char c) {
    if (IsDecimalDigit(c)) {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return std::nullopt;
}

std::string_view TrimTrailingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view TrimBlanks(std::string_view text) {
    text = TrimTrailingBlanks(text);
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

// A value that needs one to eight hex digits, as a 32-bit two's-complement
// number. Leading zeros need no digit: "000000FFF" is FFF.
std::optional<std::int32_t> ReadHexLong(std::string_view digits) {
    constexpr std::size_t MostDigits = 8;
    if (digits.empty()) {
        return std::nullopt;
    }
    while (digits.size() > 1 && digits.front() == '0') {
        digits.remove_prefix(1);
    }
    if (digits.size() > MostDigits) {
        return std::nullopt;
    }
    std::uint32_t bits = 0;
    for (char c : digits) {
        const auto digit = HexDigitValue(c);
        if (!digit) {
            return std::nullopt;
        }
        bits = (bits << 4) | static_cast<std::uint32_t>(*digit);
    }
    return static_cast<std::int32_t>(bits);
}

std::string ThreeDigitHex(std::int32_t code) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    for (int shift = 8; shift >= 0; shift -= 4) {
        text.push_back(Digits[(code >> shift) & 0xF]);
    }
    return text;
}

// A decimal number with an optional sign and fraction, rounded half to even,
// worked out exactly on the digits so that no long entry is misread.
std::optional<std::int64_t> ReadRoundedDecimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) {
        return std::nullopt;
    }
    for (std::string_view part : {whole, fraction}) {
        for (char c : part) {
            if (!IsDecimalDigit(c)) {
                return std::nullopt;
            }
        }
    }

    // Eleven significant digits are already beyond 32 bits; stop counting there.
    constexpr std::int64_t Beyond32Bits = std::int64_t{1} << 33;
    std::int64_t magnitude = 0;
    for (char c : whole) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > Beyond32Bits) {
            return std::nullopt;
        }
    }

    if (!fraction.empty()) {
        const char first = fraction.front();
        const bool restNonZero =
            fraction.substr(1).find_first_not_of('0') != std::string_view::npos;
        const bool roundUp = first > '5' || (first == '5' && (restNonZero || magnitude % 2 == 1));
        if (roundUp) {
            ++magnitude;
        }
    }
    return negative ? -magnitude : magnitude;
}

} // namespace

std::optional<AcceptedEntry> CheckCodeEntry(std::string_view text) {
    auto value = ReadHexLong(TrimTrailingBlanks(text));
    if (!value) {
        return std::nullopt;
    }
    std::int32_t code = *value;
    if (code > HighestCode) {
        code = HighestCode;
    }
    if (code < 0) {
        code += HighestCode;
    }
    // Eight-digit entries 80000000 to FFFFF000 are still negative here; such a
    // value would spill into the channel and mode fields of the word.
    if (code < 0) {
        return std::nullopt;
    }
    return AcceptedEntry{static_cast<std::int16_t>(code), ThreeDigitHex(code)};
}

std::optional<AcceptedEntry> CheckStepEntry(std::string_view text) {
    const auto rounded = ReadRoundedDecimal(TrimBlanks(text));
    if (!rounded || *rounded > std::numeric_limits<std::int32_t>::max() ||
        *rounded < std::numeric_limits<std::int32_t>::min()) {
        return std::nullopt;
    }
    std::int64_t step = *rounded;
    if (step > HighestStep) {
        step = HighestStep;
    }
    if (step < 0) {
        step = 0;
    }
    return AcceptedEntry{static_cast<std::int16_t>(step), std::to_string(step)};
}

} // namespace qv4130::entry
