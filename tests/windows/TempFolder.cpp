#include "TempFolder.h"

#include <windows.h>

#include <atomic>

namespace qv4130::testing {

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (;;) {
        path_ = base / ("qv4130-" + std::to_string(GetCurrentProcessId()) + "-" +
                        std::to_string(counter++));
        if (std::filesystem::create_directory(path_)) {
            break;
        }
    }
}

TempFolder::~TempFolder() {
    // A program started from here may still be on its way out, and Windows keeps
    // a running program's file: try again for a little while.
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
        if (!error) {
            return;
        }
        Sleep(100);
    }
}

std::filesystem::path TempFolder::Sub(const std::string& name) const {
    std::filesystem::path sub = path_ / name;
    std::filesystem::create_directories(sub);
    return sub;
}

std::filesystem::path ExecutableFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::filesystem::path(std::string(path, length)).parent_path();
}

} // namespace qv4130::testing
