#if defined(_WIN32)

#include "FileFinder.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <memory>

namespace qv4130 {

namespace {
// Ends a FindFirstFileA search.
struct SearchCloser {
    void operator()(HANDLE search) const { ::FindClose(search); }
};

bool IsOrdinary(const WIN32_FIND_DATAA& found) {
    constexpr DWORD excluded =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return (found.dwFileAttributes & excluded) == 0;
}
} // namespace

std::string HostFileFinder::FindOrdinaryFile(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    WIN32_FIND_DATAA found{};
    const HANDLE first = ::FindFirstFileA(path.c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) {
        return {};
    }
    const std::unique_ptr<void, SearchCloser> search(first);
    do {
        if (IsOrdinary(found)) {
            return found.cFileName;
        }
    } while (::FindNextFileA(search.get(), &found));
    return {};
}

} // namespace qv4130

#endif
