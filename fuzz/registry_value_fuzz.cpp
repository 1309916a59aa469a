// The registry value conversion behind the System Information lookup, fed any
// type, any reported size and any bytes: it never reads past the buffer, and
// what it stores has the shape its type promises.
#include "Invariant.h"
#include "host/Registry.h"
#include "host/SystemInformation.h"

#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {
std::uint32_t TakeWord(const std::uint8_t*& data, std::size_t& size) {
    std::uint32_t word = 0;
    const std::size_t n = size < 4 ? size : 4;
    std::memcpy(&word, data, n);
    data += n;
    size -= n;
    return word;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv4130;
    // A small set of types covers text, number and "anything else".
    const std::uint32_t type = TakeWord(data, size) % 8;
    const std::uint32_t reported = TakeWord(data, size) % (RegistryValueBufferSize + 64);
    std::array<std::uint8_t, RegistryValueBufferSize> buffer{};
    std::memcpy(buffer.data(), data, size < buffer.size() ? size : buffer.size());

    std::string text;
    try {
        text = RegistryValueText(buffer, reported);
    } catch (const RegistryValueError&) {
        FUZZ_REQUIRE(reported == 0 || reported > RegistryValueBufferSize);
        return 0;
    }
    FUZZ_REQUIRE(reported >= 1 && reported <= RegistryValueBufferSize);
    FUZZ_REQUIRE(text.size() == reported || text.size() + 1 == reported);

    std::string keyVal = "unchanged";
    StoreRegistryValue(type, text, keyVal);
    if (type == RegSz) {
        FUZZ_REQUIRE(keyVal == text);
    } else if (type == RegDword) {
        FUZZ_REQUIRE(keyVal.rfind("&h", 0) == 0);
        const std::string digits = keyVal.substr(2 + std::strlen("unchanged"));
        FUZZ_REQUIRE(digits.size() == 2 * text.size());
        for (char c : digits) {
            FUZZ_REQUIRE(std::isxdigit(static_cast<unsigned char>(c)) &&
                         !std::islower(static_cast<unsigned char>(c)));
        }
    } else {
        FUZZ_REQUIRE(keyVal == "unchanged");
    }
    return 0;
}
