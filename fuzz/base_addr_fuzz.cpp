// The port library's reading of /proc/sys/dev/parport/parportN/base-addr: any
// accepted base is an I/O address, and it is the number the text starts with.
#include "BaseAddr.h"
#include "Invariant.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto base = parllio::ParseBaseAddr(text);
    if (base) {
        FUZZ_REQUIRE(*base >= 0 && *base <= 0xFFFF);
        // Leading zeros aside, the text opens with the number's own digits.
        std::string_view rest = text;
        while (rest.size() > 1 && rest.front() == '0' && rest[1] >= '0' && rest[1] <= '9') {
            rest.remove_prefix(1);
        }
        FUZZ_REQUIRE(rest.substr(0, std::to_string(*base).size()) == std::to_string(*base));
    }
    return 0;
}
