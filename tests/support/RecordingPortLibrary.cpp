#include "RecordingPortLibrary.h"

namespace qv4130::test {

// Every call as Function(first, 0xsecond), which an unused field leaves 0.
void PrintTo(const PortCall& call, std::ostream* os) {
    constexpr const char* names[] = {"GetParallelPortCount", "ClaimParallelPort",
                                     "GetParallelPortInfo", "InByte", "OutByte"};
    *os << names[static_cast<int>(call.function)] << '(' << call.first << ", 0x" << std::hex
        << call.second << std::dec << ')';
}

std::vector<PortCall> WordWrites(std::int32_t address, std::int32_t word, int bits) {
    std::vector<PortCall> writes;
    for (int k = bits - 1; k >= 0; --k) {
        const bool one = ((word >> k) & 1) != 0;
        writes.push_back(Out(address, 0x12));
        writes.push_back(Out(address, one ? 0x11 : 0x10));
        writes.push_back(Out(address, one ? 0x13 : 0x12));
    }
    writes.push_back(Out(address, 0x16));
    return writes;
}

} // namespace qv4130::test
