#include "ui/entry/EntryCheck.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace qv4130::entry {
namespace {

using std::string_view_literals::operator""sv;

// What the field is rewritten with; the value stored is the number it shows.
struct Case {
    std::string_view typed;
    const char* display; // nullptr: the error path
};
constexpr const char* Rejected = nullptr;

void ExpectAll(std::optional<AcceptedEntry> (*check)(std::string_view), int base,
               std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        const auto accepted = check(c.typed);
        if (c.display == Rejected) {
            EXPECT_FALSE(accepted.has_value()) << '[' << c.typed << "] gave " << accepted->display;
            continue;
        }
        const auto value = static_cast<std::int16_t>(std::stoi(c.display, nullptr, base));
        EXPECT_EQ(accepted, (AcceptedEntry{value, c.display})) << '[' << c.typed << ']';
    }
}

TEST(EntryCheck, CodeIsHexReadAsTypedClampedAndShownInThreeDigits) {
    ExpectAll(CheckCodeEntry, 16,
              {Case{"a00", "A00"}, Case{"5", "005"}, Case{"3f", "03F"}, Case{"0", "000"},
               Case{"000", "000"}, Case{"FfF", "FFF"}, Case{"00000FFF", "FFF"},
               // Read as typed: what looks like a decimal exponent is hex digits.
               Case{"1E3", "1E3"},
               // Above full scale, up to the largest positive 32-bit value.
               Case{"1000", "FFF"}, Case{"FFFFFFF", "FFF"}, Case{"7FFFFFFF", "FFF"},
               // Negative eight-digit values get 4095 added; still negative is refused.
               Case{"FFFFFFFF", "FFE"}, Case{"FFFFF001", "000"}, Case{"FFFFF000", Rejected},
               Case{"80000000", Rejected},
               // Blanks after the digits are tolerated, nowhere else.
               Case{"12  ", "012"}, Case{"12\t", "012"}, Case{" 12", Rejected},
               Case{"12 4", Rejected},
               // Not one to eight hex digits.
               Case{"", Rejected}, Case{"   ", Rejected}, Case{"G12", Rejected},
               Case{"123456789", Rejected}, Case{"000000000", Rejected}, Case{"&h12", Rejected},
               Case{"0x12", Rejected}, Case{"-1", Rejected}, Case{"+1", Rejected},
               Case{"\xC3\xA9", Rejected}, Case{"1\0"sv, Rejected}});
}

TEST(EntryCheck, StepIsDecimalRoundedHalfToEvenAndClamped) {
    ExpectAll(
        CheckStepEntry, 10,
        {Case{"000", "0"}, Case{"64", "64"}, Case{"200", "127"}, Case{"-5", "0"}, Case{"+3", "3"},
         Case{" 7 ", "7"}, Case{"\t7\t", "7"},
         // Halves go to the even neighbour; anything past the half goes up.
         Case{"12.5", "12"}, Case{"13.5", "14"}, Case{"12.50001", "13"}, Case{"12.4999", "12"},
         Case{".5", "0"}, Case{"1.5", "2"}, Case{"5.", "5"}, Case{"-0.5", "0"},
         // The 32-bit range is judged after rounding, on the exact digits.
         Case{"2147483647.4", "127"}, Case{"2147483647.5", Rejected}, Case{"-2147483648.5", "0"},
         Case{"-2147483648.6", Rejected}, Case{"99999999999", Rejected},
         Case{"0000000000000000000042", "42"},
         // Only signed decimal with an optional fraction.
         Case{"", Rejected}, Case{"  ", Rejected}, Case{"abc", Rejected}, Case{"1E3", Rejected},
         Case{"1,000", Rejected}, Case{"0x10", Rejected}, Case{"+ 3", Rejected},
         Case{"--3", Rejected}, Case{"+", Rejected}, Case{".", Rejected}, Case{"1.2.3", Rejected},
         Case{"1 2", Rejected}, Case{"5-", Rejected}});
}

} // namespace
} // namespace qv4130::entry
