#include "SystemKernel.h"

#include "Messages.h"
#include "WindowsModules.h"

#include <cerrno>

namespace parllio {
namespace {

int Errno(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    default:
        return EIO;
    }
}

struct CloseFile {
    void operator()(HANDLE file) const { CloseHandle(file); }
};
using File = std::unique_ptr<std::remove_pointer_t<HANDLE>, CloseFile>;

} // namespace

int SystemKernel::Open(const std::string&) {
    return -ENODEV;
}

void SystemKernel::Close(int) {}

int SystemKernel::Ioctl(int, unsigned long, void*) {
    return -ENOTTY;
}

int SystemKernel::Claim(int, std::chrono::milliseconds) {
    return -ENODEV;
}

FileText SystemKernel::ReadFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widened(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return {{}, Errno(GetLastError())};
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {{}, EISDIR};
    }
    const File file(CreateFileW(Widened(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        return {{}, Errno(GetLastError())};
    }
    FileText result;
    // A pipe or a console would block or never end: only a file on a disk is read.
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        result.irregular = true;
        return result;
    }
    char chunk[4096];
    while (result.text.size() <= MaxFileBytes) {
        DWORD got = 0;
        if (::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) == 0) {
            result.error = Errno(GetLastError());
            break;
        }
        if (got == 0) {
            break;
        }
        result.text.append(chunk, got);
    }
    if (result.text.size() > MaxFileBytes) {
        result.text.resize(MaxFileBytes);
        result.cut = true;
    }
    return result;
}

std::vector<std::string> SystemKernel::ListDirectory(const std::string&, int& error) {
    // Only the kernel's list of printer ports is ever asked for; Windows has none.
    error = ENOENT;
    return {};
}

void SystemKernel::Tell(const std::string& line) {
    TellOperator(line);
}

} // namespace parllio
