#include "TracedPortLibrary.h"

#include <cstdlib>

namespace qv4130 {

TracedPortLibrary::TracedPortLibrary(PortLibrary& library, const SharedState& state,
                                     std::unique_ptr<VcdWriter> writer,
                                     TraceRecorder::FailureReport report)
    : library_(library), state_(state), recorder_(std::move(writer), std::move(report)) {}

TracedPortLibrary::~TracedPortLibrary() = default;

std::int32_t TracedPortLibrary::GetParallelPortCount() {
    return library_.GetParallelPortCount();
}

std::int32_t TracedPortLibrary::ClaimParallelPort(std::int32_t port, std::int32_t flags) {
    return library_.ClaimParallelPort(port, flags);
}

std::int32_t TracedPortLibrary::GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) {
    return library_.GetParallelPortInfo(port, info);
}

std::int32_t TracedPortLibrary::InByte(std::int32_t address) {
    return library_.InByte(address);
}

void TracedPortLibrary::OutByte(std::int32_t address, std::int32_t value) {
    // I/O addresses are 16 bits wide, however the caller widened them.
    if ((address & 0xFFFF) == state_.PortAddress &&
        !recorder_.TryRecord(static_cast<std::uint8_t>(value))) [[unlikely]] {
        OutByteRecordedRarely(address, value);
        return;
    }
    // Last, and with nothing else called on the way, so that handing the write
    // on costs what it cost without a trace.
    library_.OutByte(address, value);
}

void TracedPortLibrary::OutByteRecordedRarely(std::int32_t address, std::int32_t value) {
    recorder_.RecordRare(static_cast<std::uint8_t>(value));
    library_.OutByte(address, value);
}

void TracedPortLibrary::Flush() {
    recorder_.Flush();
}

void TracedPortLibrary::Finish() {
    recorder_.Finish();
}

void TracedPortLibrary::FinishAndExit(int status) {
    Finish();
    std::_Exit(status);
}

std::unique_ptr<TracedPortLibrary> StartTrace(PortLibrary& library, const SharedState& state,
                                              const std::string& path, Report report) {
    // The recorder's thread may be the one to find the file unwritable.
    auto said = [report = std::move(report)](const std::string& problem) {
        if (report) {
            report(problem + " The run goes on without a trace.");
        }
    };
    auto writer = std::make_unique<VcdWriter>(path);
    if (!writer->Error().empty()) {
        said(writer->Error());
        writer.reset();
    }
    return std::make_unique<TracedPortLibrary>(library, state, std::move(writer), std::move(said));
}

} // namespace qv4130
