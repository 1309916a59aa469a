// The Mode 1 code field: whatever is typed, an accepted entry is a code 0 to 4095
// shown as exactly three upper-case hexadecimal digits of that code.
#include "Invariant.h"
#include "ui/entry/EntryCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto accepted = qv4130::entry::CheckCodeEntry(text);
    if (accepted) {
        FUZZ_REQUIRE(accepted->value >= 0 && accepted->value <= 4095);
        char expected[8];
        std::snprintf(expected, sizeof expected, "%03X", static_cast<unsigned>(accepted->value));
        FUZZ_REQUIRE(accepted->display == expected);
    }
    return 0;
}
