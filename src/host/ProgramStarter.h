#pragma once

#include <stdexcept>
#include <string>

namespace qv4130 {

// How the started program's first window is shown (the host's show-window code).
enum class WindowShow : int {
    NormalFocus = 1, // SW_SHOWNORMAL: normal size and position, with the focus
};

// The program could not be started; the message names the path and the reason.
class ProgramStartError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Starts another program as a separate process and does not wait for it.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;

    // Starts the program file at `path` (no arguments, no search along PATH) and
    // returns as soon as it is running. Throws ProgramStartError when it cannot
    // be started, an empty path included.
    virtual void Start(const std::string& path, WindowShow show) = 0;
};

// The host's process start: CreateProcessA on Windows; elsewhere fork and exec,
// with a failed exec reported back to the caller. The started program is
// detached: it is never waited for and outlives this one.
class HostProgramStarter final : public ProgramStarter {
public:
    void Start(const std::string& path, WindowShow show) override;
};

} // namespace qv4130
