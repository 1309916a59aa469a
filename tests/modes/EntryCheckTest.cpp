#include "ui/entry/EntryCheck.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace qv4130::entry {
namespace {

struct EntryCase {
    std::string typed;
    std::optional<AcceptedEntry> expected; // nullopt: the error path
};

// Test names show the entry with blanks and odd bytes spelled out.
void PrintTo(const EntryCase& c, std::ostream* os) {
    *os << '[';
    for (unsigned char byte : c.typed) {
        if (byte == ' ') {
            *os << '_';
        } else if (byte > ' ' && byte < 0x7F) {
            *os << byte;
        } else {
            *os << "<" << std::hex << int{byte} << std::dec << ">";
        }
    }
    *os << ']';
}

std::optional<AcceptedEntry> Accepts(int value, const char* display) {
    return AcceptedEntry{static_cast<std::int16_t>(value), display};
}
constexpr std::nullopt_t Rejected = std::nullopt;

class CodeEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(CodeEntry, ReadsHexClampsAndShowsThreeDigits) {
    EXPECT_EQ(CheckCodeEntry(GetParam().typed), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CodeEntry,
    ::testing::Values(
        // Plain codes, either case, padded to three upper-case digits.
        EntryCase{"a00", Accepts(2560, "A00")}, EntryCase{"5", Accepts(5, "005")},
        EntryCase{"3f", Accepts(63, "03F")}, EntryCase{"7ff", Accepts(2047, "7FF")},
        EntryCase{"0", Accepts(0, "000")}, EntryCase{"000", Accepts(0, "000")},
        EntryCase{"FfF", Accepts(4095, "FFF")},
        // Read as typed: what looks like a decimal exponent is hex digits.
        EntryCase{"1E3", Accepts(0x1E3, "1E3")}, EntryCase{"00000FFF", Accepts(4095, "FFF")},
        // Above full scale, up to the largest positive 32-bit value.
        EntryCase{"1000", Accepts(4095, "FFF")}, EntryCase{"FFFFFFF", Accepts(4095, "FFF")},
        EntryCase{"7FFFFFFF", Accepts(4095, "FFF")},
        // Negative eight-digit values get 4095 added; still negative is refused.
        EntryCase{"FFFFFFFF", Accepts(4094, "FFE")}, EntryCase{"FFFFF001", Accepts(0, "000")},
        EntryCase{"FFFFF000", Rejected}, EntryCase{"80000000", Rejected},
        // Blanks after the digits are tolerated, nowhere else.
        EntryCase{"12  ", Accepts(0x12, "012")}, EntryCase{"12\t", Accepts(0x12, "012")},
        EntryCase{" 12", Rejected}, EntryCase{"12 4", Rejected},
        // Not a hex number of one to eight digits.
        EntryCase{"", Rejected}, EntryCase{"   ", Rejected}, EntryCase{"G12", Rejected},
        EntryCase{"123456789", Rejected}, EntryCase{"000000000", Rejected},
        EntryCase{"&h12", Rejected}, EntryCase{"0x12", Rejected}, EntryCase{"-1", Rejected},
        EntryCase{"+1", Rejected}, EntryCase{"1.0", Rejected}, EntryCase{"\xC3\xA9", Rejected},
        EntryCase{std::string("1\0", 2), Rejected}));

class StepEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(StepEntry, ReadsDecimalRoundsHalfToEvenAndClamps) {
    EXPECT_EQ(CheckStepEntry(GetParam().typed), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StepEntry,
    ::testing::Values(
        EntryCase{"000", Accepts(0, "0")}, EntryCase{"64", Accepts(64, "64")},
        EntryCase{"200", Accepts(127, "127")}, EntryCase{"-5", Accepts(0, "0")},
        EntryCase{"+3", Accepts(3, "3")}, EntryCase{" 7 ", Accepts(7, "7")},
        EntryCase{"\t7\t", Accepts(7, "7")}, EntryCase{"007", Accepts(7, "7")},
        // Halves go to the even neighbour; anything past the half goes up.
        EntryCase{"12.5", Accepts(12, "12")}, EntryCase{"13.5", Accepts(14, "14")},
        EntryCase{"12.50001", Accepts(13, "13")}, EntryCase{"12.4999", Accepts(12, "12")},
        EntryCase{"0.5", Accepts(0, "0")}, EntryCase{"1.5", Accepts(2, "2")},
        EntryCase{".5", Accepts(0, "0")}, EntryCase{"5.", Accepts(5, "5")},
        EntryCase{"126.5", Accepts(126, "126")}, EntryCase{"-0.5", Accepts(0, "0")},
        // The 32-bit range is judged after rounding, on the exact digits.
        EntryCase{"2147483647", Accepts(127, "127")},
        EntryCase{"2147483647.4", Accepts(127, "127")}, EntryCase{"2147483647.5", Rejected},
        EntryCase{"-2147483648.5", Accepts(0, "0")}, EntryCase{"-2147483648.6", Rejected},
        EntryCase{"2147483648", Rejected}, EntryCase{"99999999999", Rejected},
        EntryCase{"0000000000000000000042", Accepts(42, "42")},
        // Only signed decimal with an optional fraction.
        EntryCase{"", Rejected}, EntryCase{"  ", Rejected}, EntryCase{"abc", Rejected},
        EntryCase{"1E3", Rejected}, EntryCase{"1,000", Rejected}, EntryCase{"1,5", Rejected},
        EntryCase{"0x10", Rejected}, EntryCase{"&h10", Rejected}, EntryCase{"+ 3", Rejected},
        EntryCase{"--3", Rejected}, EntryCase{"+", Rejected}, EntryCase{".", Rejected},
        EntryCase{"1.2.3", Rejected}, EntryCase{"1 2", Rejected}, EntryCase{"5-", Rejected}));

} // namespace
} // namespace qv4130::entry
