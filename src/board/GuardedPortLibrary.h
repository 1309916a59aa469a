#pragma once

#include "PortLibrary.h"
#include "SharedLibrary.h"
#include "host/MessageSink.h"

#include <functional>
#include <iosfwd>
#include <string>

namespace qv4130 {

// Passes every call on to another port library. When that one turns out to be
// missing (or lacks a function), the failure handler runs before the error goes
// any further: the error must never travel through the window toolkit's event
// dispatch, which can't carry it. The program's handler reports and ends the run.
class GuardedPortLibrary final : public PortLibrary {
public:
    using FailureHandler = std::function<void(const PortLibraryError&)>;

    GuardedPortLibrary(PortLibrary& inner, FailureHandler onFailure);

    std::int32_t GetParallelPortCount() override;
    std::int32_t ClaimParallelPort(std::int32_t port, std::int32_t flags) override;
    std::int32_t GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) override;
    std::int32_t InByte(std::int32_t address) override;
    void OutByte(std::int32_t address, std::int32_t value) override;

private:
    template <typename Call> auto Guard(Call call) -> decltype(call());

    PortLibrary& inner_;
    FailureHandler onFailure_;
};

// The text of the box that says the port library can't be used.
std::string PortLibraryFailureText(const PortLibraryError& error);

// Says so on the error stream and in a critical box (standard error first, so the
// reason is kept even if no box can be shown).
void ReportPortLibraryFailure(const PortLibraryError& error, MessageSink& messages,
                              std::ostream& errors);

} // namespace qv4130
