#if defined(_WIN32)

#include "ProgramStarter.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <memory>
#include <system_error>
#include <vector>

namespace qv4130 {

namespace {
// Closes a kernel handle.
struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
} // namespace

void HostProgramStarter::Start(const std::string& path, WindowShow show) {
    if (path.empty()) {
        throw ProgramStartError("no program to start");
    }
    // The path names the module itself, so a folder with spaces in its name is
    // never split; the command line repeats it, quoted, as the program's argv[0].
    std::string quoted = "\"" + path + "\"";
    std::vector<char> commandLine(quoted.begin(), quoted.end());
    commandLine.push_back('\0');

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process)) {
        const DWORD error = ::GetLastError();
        throw ProgramStartError(path + ": " +
                                std::system_category().message(static_cast<int>(error)));
    }
    const std::unique_ptr<void, HandleCloser> processHandle(process.hProcess);
    const std::unique_ptr<void, HandleCloser> threadHandle(process.hThread);
}

} // namespace qv4130

#endif
