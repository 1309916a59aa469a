#pragma once

#include "TraceRecorder.h"
#include "board/PortLibrary.h"
#include "board/SharedState.h"
#include "host/Report.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace qv4130 {

// Stands in front of whichever port library is in use and passes every call on
// to it unchanged; every byte written to the data register of the port in use
// (the address in PortAddress at the time of the write) is also recorded, with
// its time, in a trace file. Only the thread that writes to the port calls it.
class TracedPortLibrary final : public PortLibrary {
public:
    // Records to `writer`; without one, the calls only pass through. The ring is
    // inside (a megabyte): StartTrace makes it on the heap.
    TracedPortLibrary(PortLibrary& library, const SharedState& state,
                      std::unique_ptr<VcdWriter> writer, TraceRecorder::FailureReport report);
    ~TracedPortLibrary() override;

    TracedPortLibrary(const TracedPortLibrary&) = delete;
    TracedPortLibrary& operator=(const TracedPortLibrary&) = delete;

    std::int32_t GetParallelPortCount() override;
    std::int32_t ClaimParallelPort(std::int32_t port, std::int32_t flags) override;
    std::int32_t GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) override;
    std::int32_t InByte(std::int32_t address) override;
    void OutByte(std::int32_t address, std::int32_t value) override;
    std::int32_t ReleaseParallelPort(std::int32_t port) override {
        return library_.ReleaseParallelPort(port);
    }
    std::optional<std::string> LastError() override { return library_.LastError(); }

    // Returns once every write so far is in the file.
    void Flush();
    // Completes the file: what is left, then the closing timestamp. Later writes
    // pass through untraced.
    void Finish();
    // Completes the file and ends the process at once with `status`, releasing
    // nothing else: the Quit button's exit with the trace kept whole.
    [[noreturn]] void FinishAndExit(int status);

private:
    void OutByteRecordedRarely(std::int32_t address, std::int32_t value);

    PortLibrary& library_;
    const SharedState& state_;
    TraceRecorder recorder_;
};

// Puts a trace in front of `library`, writing the file at `path`. A file that
// cannot be written is said once to `report`, and the run goes on without a
// trace. The report may come from the trace's own thread, so a window must hand
// the text to its event loop. `library` and `state` must outlive the result.
std::unique_ptr<TracedPortLibrary> StartTrace(PortLibrary& library, const SharedState& state,
                                              const std::string& path, Report report);

} // namespace qv4130
