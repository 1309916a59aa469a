#pragma once

#include "board/PortLibrary.h"

#include <initializer_list>
#include <map>
#include <ostream>
#include <utility>
#include <vector>

namespace qv4130::test {

// One call into the port library, as a test expects it.
struct PortCall {
    enum class Function { Count, Claim, Info, In, Out } function;
    std::int32_t first = 0;  // port number or I/O address
    std::int32_t second = 0; // claim flags or the byte written

    bool operator==(const PortCall&) const = default;
};

inline PortCall Count() {
    return {PortCall::Function::Count};
}
inline PortCall Claim(std::int32_t port, std::int32_t flags) {
    return {PortCall::Function::Claim, port, flags};
}
inline PortCall Info(std::int32_t port) {
    return {PortCall::Function::Info, port};
}
inline PortCall In(std::int32_t address) {
    return {PortCall::Function::In, address};
}
inline PortCall Out(std::int32_t address, std::int32_t value) {
    return {PortCall::Function::Out, address, value};
}

void PrintTo(const PortCall& call, std::ostream* os);

// The writes SendSerialWord must make for `word`, straight from the board's timing:
// per bit 0x12 then 0x10/0x12 (bit 0) or 0x11/0x13 (bit 1), then the closing 0x16.
std::vector<PortCall> WordWrites(std::int32_t address, std::int32_t word, int bits = 18);

// `parts`, one after the other.
template <typename T> std::vector<T> Join(std::initializer_list<std::vector<T>> parts) {
    std::vector<T> all;
    for (const std::vector<T>& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// A port library that records every call and acts like a bank of plain
// registers: a read gives back what was last written at that address (or a
// preset), with answers for claim and information that a test can set.
class RecordingPortLibrary : public PortLibrary {
public:
    std::int32_t GetParallelPortCount() override { return Record(Count(), 1); }
    std::int32_t ClaimParallelPort(std::int32_t port, std::int32_t flags) override {
        return Record(Claim(port, flags), claimResult);
    }
    std::int32_t GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) override {
        if (infoResult != 0 && info != nullptr) {
            info->base_address = infoBaseAddress;
        }
        return Record(Info(port), infoResult);
    }
    std::int32_t InByte(std::int32_t address) override {
        return Record(In(address), registers.contains(address) ? registers[address] : 0);
    }
    void OutByte(std::int32_t address, std::int32_t value) override {
        registers[address] = Record(Out(address, value), value & 0xFF);
    }
    std::optional<std::string> LastError() override { return lastError; }

    // The calls recorded so far; the record starts again empty.
    std::vector<PortCall> Take() { return std::exchange(calls, {}); }

    std::vector<PortCall> calls;
    std::map<std::int32_t, std::int32_t> registers;
    std::int32_t claimResult = 1;
    std::int32_t infoResult = 1;
    std::int32_t infoBaseAddress = 888;
    std::optional<std::string> lastError; // nothing: a library without the function

private:
    std::int32_t Record(const PortCall& call, std::int32_t answer) {
        calls.push_back(call);
        return answer;
    }
};

} // namespace qv4130::test
