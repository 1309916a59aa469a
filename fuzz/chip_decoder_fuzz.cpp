// The virtual board's QV4130 fed arbitrary data-register streams: codes stay
// 12-bit, a decoded word never names a channel above 15 or data above 4095, and
// the outputs follow power-down.
#include "Invariant.h"
#include "virtualboard/Qv4130Chip.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv4130;
    Qv4130Chip chip;
    FeedLines(chip, std::span<const std::uint8_t>(data, size));

    for (int channel = 0; channel < ChannelCount; ++channel) {
        FUZZ_REQUIRE(chip.Code(channel) <= 4095);
        FUZZ_REQUIRE(chip.Output(channel) == (chip.PoweredDown() ? 0 : chip.Code(channel)));
    }
    if (chip.HeldInReset()) {
        FUZZ_REQUIRE(!chip.FrameInProgress());
    }
    if (const auto& word = chip.LastWord()) {
        FUZZ_REQUIRE(word->Mode() >= 0 && word->Mode() <= 3);
        FUZZ_REQUIRE(word->Channel() >= 0 && word->Channel() <= 15);
        FUZZ_REQUIRE(word->Data() >= 0 && word->Data() <= 4095);
    }
    FUZZ_REQUIRE(chip.WordsApplied() + chip.WordsIgnored() + chip.MalformedWords() <= size);
    return 0;
}
