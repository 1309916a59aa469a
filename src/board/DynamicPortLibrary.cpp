#include "DynamicPortLibrary.h"

#include <utility>

namespace qv4130 {

DynamicPortLibrary::DynamicPortLibrary(std::string libraryName)
    : libraryName_(std::move(libraryName)) {}

template <typename Function> Function DynamicPortLibrary::Bind(Function& slot, const char* symbol) {
    if (slot == nullptr) {
        if (!library_) {
            library_.emplace(SharedLibrary::Open(libraryName_));
        }
        slot = reinterpret_cast<Function>(library_->Symbol(symbol));
    }
    return slot;
}

std::int32_t DynamicPortLibrary::GetParallelPortCount() {
    return Bind(getParallelPortCount_, "GetParallelPortCount")();
}

std::int32_t DynamicPortLibrary::ClaimParallelPort(std::int32_t port, std::int32_t flags) {
    return Bind(claimParallelPort_, "ClaimParallelPort")(port, flags);
}

std::int32_t DynamicPortLibrary::GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) {
    return Bind(getParallelPortInfo_, "GetParallelPortInfo")(port, info);
}

std::int32_t DynamicPortLibrary::InByte(std::int32_t address) {
    return Bind(inByte_, "InByte")(address);
}

void DynamicPortLibrary::OutByte(std::int32_t address, std::int32_t value) {
    Bind(outByte_, "OutByte")(address, value);
}

} // namespace qv4130
