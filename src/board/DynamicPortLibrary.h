#pragma once

#include "PortLibrary.h"
#include "SharedLibrary.h"

#include <optional>
#include <string>

namespace qv4130 {

#if defined(_WIN32)
inline constexpr const char* DefaultPortLibraryName = "parllio.dll";
#else
inline constexpr const char* DefaultPortLibraryName = "libparllio.so";
#endif

// The port library bound by name: the library is loaded at the first call of any
// of its functions, and each function is looked up at its own first call and kept.
// A missing library or function throws PortLibraryError from that call.
class DynamicPortLibrary final : public PortLibrary {
public:
    explicit DynamicPortLibrary(std::string libraryName = DefaultPortLibraryName);

    std::int32_t GetParallelPortCount() override;
    std::int32_t ClaimParallelPort(std::int32_t port, std::int32_t flags) override;
    std::int32_t GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) override;
    std::int32_t InByte(std::int32_t address) override;
    void OutByte(std::int32_t address, std::int32_t value) override;

private:
    template <typename Function> Function Bind(Function& slot, const char* symbol);

    std::string libraryName_;
    std::optional<SharedLibrary> library_;

    decltype(&::GetParallelPortCount) getParallelPortCount_ = nullptr;
    decltype(&::ClaimParallelPort) claimParallelPort_ = nullptr;
    decltype(&::GetParallelPortInfo) getParallelPortInfo_ = nullptr;
    decltype(&::InByte) inByte_ = nullptr;
    decltype(&::OutByte) outByte_ = nullptr;
};

} // namespace qv4130
