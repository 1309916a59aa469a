#include "GuardedPortLibrary.h"

#include <optional>
#include <ostream>
#include <utility>

namespace qv4130 {

GuardedPortLibrary::GuardedPortLibrary(PortLibrary& inner, FailureHandler onFailure)
    : inner_(inner), onFailure_(std::move(onFailure)) {}

template <typename Call> auto GuardedPortLibrary::Guard(Call call) -> decltype(call()) {
    try {
        return call();
    } catch (const PortLibraryError& error) {
        if (onFailure_) {
            onFailure_(error);
        }
        throw;
    }
}

std::int32_t GuardedPortLibrary::GetParallelPortCount() {
    return Guard([&] { return inner_.GetParallelPortCount(); });
}

std::int32_t GuardedPortLibrary::ClaimParallelPort(std::int32_t port, std::int32_t flags) {
    return Guard([&] { return inner_.ClaimParallelPort(port, flags); });
}

std::int32_t GuardedPortLibrary::GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) {
    return Guard([&] { return inner_.GetParallelPortInfo(port, info); });
}

std::int32_t GuardedPortLibrary::InByte(std::int32_t address) {
    return Guard([&] { return inner_.InByte(address); });
}

void GuardedPortLibrary::OutByte(std::int32_t address, std::int32_t value) {
    Guard([&] { inner_.OutByte(address, value); });
}

std::string PortLibraryFailureText(const PortLibraryError& error) {
    return std::string("The printer port can't be used: ") + error.what();
}

void ReportPortLibraryFailure(const PortLibraryError& error, MessageSink& messages,
                              std::ostream& errors) {
    errors << "qv4130: " << error.what() << std::endl;
    messages.ShowMessage(PortLibraryFailureText(error), std::nullopt, MessageIcon::Critical);
}

} // namespace qv4130
