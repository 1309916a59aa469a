#pragma once

#include "PortLibrary.h"
#include "SharedLibrary.h"
#include "host/MessageSink.h"
#include "host/Report.h"

#include <functional>
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
// A missing library or function throws PortLibraryError from that call, after
// the failure handler has seen it: the error must never travel through the
// window toolkit's event dispatch, which can't carry it, so the program's
// handler reports it and ends the run on the spot.
class DynamicPortLibrary final : public PortLibrary {
public:
    using FailureHandler = std::function<void(const PortLibraryError&)>;

    // `onMessage` hears the library's own messages for the operator, when the
    // library can hand them over (the optional SetParallelPortMessageHandler);
    // otherwise the library writes them to standard error itself.
    explicit DynamicPortLibrary(std::string libraryName = DefaultPortLibraryName,
                                FailureHandler onFailure = {}, Report onMessage = {});
    ~DynamicPortLibrary() override;

    DynamicPortLibrary(const DynamicPortLibrary&) = delete;
    DynamicPortLibrary& operator=(const DynamicPortLibrary&) = delete;

    std::int32_t GetParallelPortCount() override;
    std::int32_t ClaimParallelPort(std::int32_t port, std::int32_t flags) override;
    std::int32_t GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) override;
    std::int32_t InByte(std::int32_t address) override;
    void OutByte(std::int32_t address, std::int32_t value) override;
    // Through ReleaseParallelPort when the library has it.
    std::int32_t ReleaseParallelPort(std::int32_t port) override;
    // Through the optional GetParallelPortError: a library without it is no failure.
    std::optional<std::string> LastError() override;

private:
    template <typename Function> Function Bind(Function& slot, const char* symbol);
    void* OptionalSymbol(const char* symbol);
    // Loads the library once, and hands it onMessage_ when it takes one.
    SharedLibrary& Loaded();

    std::string libraryName_;
    FailureHandler onFailure_;
    Report onMessage_;
    std::optional<SharedLibrary> library_;

    decltype(&::GetParallelPortCount) getParallelPortCount_ = nullptr;
    decltype(&::ClaimParallelPort) claimParallelPort_ = nullptr;
    decltype(&::GetParallelPortInfo) getParallelPortInfo_ = nullptr;
    decltype(&::InByte) inByte_ = nullptr;
    decltype(&::OutByte) outByte_ = nullptr;
    std::optional<decltype(&::GetParallelPortError)> getParallelPortError_; // looked up once
    std::optional<decltype(&::ReleaseParallelPort)> releaseParallelPort_;   // looked up once
};

// Says so through `report` and in a critical box (the report first, so the
// reason is kept even if no box can be shown).
void ReportPortLibraryFailure(const PortLibraryError& error, MessageSink& messages,
                              const Report& report);

} // namespace qv4130
