#include "DynamicPortLibrary.h"

#include <algorithm>
#include <utility>

namespace qv4130 {

DynamicPortLibrary::DynamicPortLibrary(std::string libraryName, FailureHandler onFailure,
                                       Report onMessage)
    : libraryName_(std::move(libraryName)), onFailure_(std::move(onFailure)),
      onMessage_(std::move(onMessage)) {}

DynamicPortLibrary::~DynamicPortLibrary() {
    // The library outlives this binding in the process: it must not call back.
    if (library_ && onMessage_) {
        if (auto* route = reinterpret_cast<decltype(&::SetParallelPortMessageHandler)>(
                OptionalSymbol("SetParallelPortMessageHandler"))) {
            route(nullptr, nullptr);
        }
    }
}

SharedLibrary& DynamicPortLibrary::Loaded() {
    if (!library_) {
        library_.emplace(SharedLibrary::Open(libraryName_));
        if (onMessage_) {
            if (auto* route = reinterpret_cast<decltype(&::SetParallelPortMessageHandler)>(
                    OptionalSymbol("SetParallelPortMessageHandler"))) {
                route(
                    [](const char* text, void* context) { (*static_cast<Report*>(context))(text); },
                    &onMessage_);
            }
        }
    }
    return *library_;
}

template <typename Function> Function DynamicPortLibrary::Bind(Function& slot, const char* symbol) {
    if (slot != nullptr) {
        return slot;
    }
    try {
        slot = reinterpret_cast<Function>(Loaded().Symbol(symbol));
    } catch (const PortLibraryError& error) {
        if (onFailure_) {
            onFailure_(error);
        }
        throw;
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

std::int32_t DynamicPortLibrary::ReleaseParallelPort(std::int32_t port) {
    if (!releaseParallelPort_) {
        releaseParallelPort_ = reinterpret_cast<decltype(&::ReleaseParallelPort)>(
            OptionalSymbol("ReleaseParallelPort"));
    }
    return *releaseParallelPort_ != nullptr ? (*releaseParallelPort_)(port) : 0;
}

void* DynamicPortLibrary::OptionalSymbol(const char* symbol) {
    try {
        return Loaded().Symbol(symbol);
    } catch (const PortLibraryError&) {
        return nullptr;
    }
}

std::optional<std::string> DynamicPortLibrary::LastError() {
    if (!getParallelPortError_) {
        getParallelPortError_ = reinterpret_cast<decltype(&::GetParallelPortError)>(
            OptionalSymbol("GetParallelPortError"));
    }
    if (*getParallelPortError_ == nullptr) {
        return std::nullopt;
    }
    std::string text(256, '\0');
    std::int32_t length =
        (*getParallelPortError_)(text.data(), static_cast<std::int32_t>(text.size()));
    if (length >= static_cast<std::int32_t>(text.size())) {
        text.resize(static_cast<std::size_t>(length) + 1);
        length = (*getParallelPortError_)(text.data(), static_cast<std::int32_t>(text.size()));
    }
    if (length <= 0) {
        return std::nullopt;
    }
    text.resize(std::min(static_cast<std::size_t>(length), text.size() - 1));
    return text;
}

void ReportPortLibraryFailure(const PortLibraryError& error, MessageSink& messages,
                              const Report& report) {
    report(error.what());
    messages.ShowMessage(std::string("The printer port can't be used: ") + error.what(),
                         std::nullopt, MessageIcon::Critical);
}

} // namespace qv4130
