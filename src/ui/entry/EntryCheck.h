#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv4130::entry {

// What an entry check makes of an accepted entry: the value to store and the
// text the field is rewritten with.
struct AcceptedEntry {
    std::int16_t value = 0;
    std::string display;

    bool operator==(const AcceptedEntry&) const = default;
};

// The Mode 1 code field. The text is read as typed as a 32-bit hexadecimal
// number: one to eight digits 0-9, A-F in either case, nothing before them,
// blanks (space or tab) after them tolerated. Eight digits with the top bit set
// read as negative. Above 4095 becomes 4095; a negative value has 4095 added
// (FFFFFFFF gives FFE), and one still negative after that is rejected. Shown
// upper-case with at least three digits.
std::optional<AcceptedEntry> CheckCodeEntry(std::string_view text);

// The Mode 2 step field. A decimal number, blanks around it allowed, an
// optional sign directly before the digits and an optional fraction after a
// point, rounded to the nearest integer with halves going to the even one.
// No exponent, grouping or hexadecimal. Rejected unless the rounded value
// fits 32 signed bits; then clamped to 0..127 and shown in plain decimal.
std::optional<AcceptedEntry> CheckStepEntry(std::string_view text);

} // namespace qv4130::entry
