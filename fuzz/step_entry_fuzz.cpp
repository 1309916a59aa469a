// The Mode 2 step field: an accepted entry is a step 0 to 127 shown in plain decimal.
#include "Invariant.h"
#include "ui/entry/EntryCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto accepted = qv4130::entry::CheckStepEntry(text);
    if (accepted) {
        FUZZ_REQUIRE(accepted->value >= 0 && accepted->value <= 127);
        FUZZ_REQUIRE(accepted->display == std::to_string(accepted->value));
    }
    return 0;
}
