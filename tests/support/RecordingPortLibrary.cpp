#include "RecordingPortLibrary.h"

#include <utility>

namespace qv4130::testing {

PortCall Count() {
    return {PortCall::Function::GetParallelPortCount, 0, 0};
}
PortCall Claim(std::int32_t port, std::int32_t flags) {
    return {PortCall::Function::ClaimParallelPort, port, flags};
}
PortCall Info(std::int32_t port) {
    return {PortCall::Function::GetParallelPortInfo, port, 0};
}
PortCall In(std::int32_t address) {
    return {PortCall::Function::InByte, address, 0};
}
PortCall Out(std::int32_t address, std::int32_t value) {
    return {PortCall::Function::OutByte, address, value};
}

void PrintTo(const PortCall& call, std::ostream* os) {
    switch (call.function) {
    case PortCall::Function::GetParallelPortCount:
        *os << "GetParallelPortCount()";
        break;
    case PortCall::Function::ClaimParallelPort:
        *os << "ClaimParallelPort(" << call.first << ", " << call.second << ")";
        break;
    case PortCall::Function::GetParallelPortInfo:
        *os << "GetParallelPortInfo(" << call.first << ")";
        break;
    case PortCall::Function::InByte:
        *os << "InByte(" << call.first << ")";
        break;
    case PortCall::Function::OutByte:
        *os << "OutByte(" << call.first << ", 0x" << std::hex << call.second << std::dec << ")";
        break;
    }
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

std::int32_t RecordingPortLibrary::GetParallelPortCount() {
    calls.push_back(Count());
    return portCount;
}

std::int32_t RecordingPortLibrary::ClaimParallelPort(std::int32_t port, std::int32_t flags) {
    calls.push_back(Claim(port, flags));
    return claimResult;
}

std::int32_t RecordingPortLibrary::GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) {
    calls.push_back(Info(port));
    if (infoResult != 0 && info != nullptr) {
        info->base_address = infoBaseAddress;
    }
    return infoResult;
}

std::int32_t RecordingPortLibrary::InByte(std::int32_t address) {
    calls.push_back(In(address));
    const auto found = registers.find(address);
    return found != registers.end() ? found->second : 0;
}

void RecordingPortLibrary::OutByte(std::int32_t address, std::int32_t value) {
    calls.push_back(Out(address, value));
    registers[address] = value & 0xFF;
}

std::vector<PortCall> RecordingPortLibrary::Take() {
    return std::exchange(calls, {});
}

std::vector<PortCall> RecordingPortLibrary::Writes() const {
    std::vector<PortCall> writes;
    for (const PortCall& call : calls) {
        if (call.function == PortCall::Function::OutByte) {
            writes.push_back(call);
        }
    }
    return writes;
}

} // namespace qv4130::testing
