#include "ui/entry/EntryCheck.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace qv4130::entry {
namespace {

// What each entry rewrites the field with, "" for the error path; the value
// stored is the number the field then shows.
using Rows = std::initializer_list<std::pair<std::string_view, std::string>>;

void ExpectAll(std::optional<AcceptedEntry> (*check)(std::string_view), int base, Rows rows) {
    for (const auto& [typed, display] : rows) {
        const auto accepted = check(typed);
        EXPECT_EQ(accepted ? accepted->display : "", display) << '[' << typed << ']';
        if (accepted) {
            EXPECT_EQ(accepted->value, std::stoi(display, nullptr, base)) << '[' << typed << ']';
        }
    }
}

// clang-format off
TEST(EntryCheck, CodeIsHexReadAsTypedClampedAndShownInThreeDigits) {
    ExpectAll(CheckCodeEntry, 16, {
        {"a00", "A00"}, {"5", "005"}, {"3f", "03F"}, {"0", "000"}, {"1E3", "1E3"},
        // Above full scale, up to the largest positive 32-bit value.
        {"1000", "FFF"}, {"7FFFFFFF", "FFF"},
        // Negative eight-digit values get 4095 added; still negative is refused.
        {"FFFFFFFF", "FFE"}, {"FFFFF001", "000"}, {"FFFFF000", ""}, {"80000000", ""},
        // Blanks after the digits are tolerated, nowhere else.
        {"12 \t", "012"}, {" 12", ""}, {"12 4", ""},
        // A value needing one to eight hex digits: leading zeros don't count.
        {"000000FFF", "FFF"}, {"0000000001", "001"}, {"000000000", "000"}, {"100000000", ""},
        {"", ""}, {"G12", ""}, {"0G", ""}, {"&h12", ""}, {"-1", ""}, {"+1", ""},
        {"\xC3\xA9", ""}, {std::string_view("1\0", 2), ""}});
}

TEST(EntryCheck, StepIsDecimalRoundedHalfToEvenAndClamped) {
    ExpectAll(CheckStepEntry, 10, {
        {"000", "0"}, {"64", "64"}, {"200", "127"}, {"-5", "0"}, {"+3", "3"}, {" \t7 ", "7"},
        // Halves go to the even neighbour; anything past the half goes up.
        {"12.5", "12"}, {"13.5", "14"}, {"12.50001", "13"}, {"12.4999", "12"}, {".5", "0"},
        {"5.", "5"}, {"-0.5", "0"},
        // The 32-bit range is judged after rounding, on the exact digits.
        {"2147483647.4", "127"}, {"2147483647.5", ""}, {"-2147483648.5", "0"},
        {"-2147483648.6", ""}, {"99999999999", ""}, {"0000000000000000000042", "42"},
        // Only signed decimal with an optional fraction.
        {"", ""}, {"abc", ""}, {"1E3", ""}, {"1,000", ""}, {"+ 3", ""}, {"--3", ""}, {".", ""},
        {"1.2.3", ""}, {"1 2", ""}});
}
// clang-format on

} // namespace
} // namespace qv4130::entry
