#if defined(_WIN32)

#include "FileFinder.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace qv4130 {

namespace {
// Closes a FindFirstFileA search when it goes out of scope.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (Valid()) {
            ::FindClose(handle_);
        }
    }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
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
    const FindHandle search(::FindFirstFileA(path.c_str(), &found));
    if (!search.Valid()) {
        return {};
    }
    do {
        if (IsOrdinary(found)) {
            return found.cFileName;
        }
    } while (::FindNextFileA(search.Get(), &found));
    return {};
}

} // namespace qv4130

#endif
