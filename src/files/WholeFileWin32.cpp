#if defined(_WIN32)

#include "TemporaryFile.h"
#include "WholeFile.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>

namespace qv4130::files {

namespace {

std::error_code LastError() {
    return {errno, std::generic_category()};
}

FileDescriptor CreateExclusive(const std::string& name) {
    return FileDescriptor(
        _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE));
}

// A device (NUL, a COM port) or a pipe. The file system calls see none of
// them as an existing file, so they would be replaced by a file of the name;
// the handle's own type tells.
bool IsDeviceOrPipe(const std::string& path) {
    const HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const DWORD type = GetFileType(handle);
    CloseHandle(handle);
    return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

} // namespace

WholeFile::WholeFile(const std::string& path) : target_(FollowLinks(path)) {
    std::error_code unknown;
    const auto status = std::filesystem::status(target_, unknown);
    if (std::filesystem::is_directory(status)) {
        Fail(std::error_code(EISDIR, std::generic_category()));
        return;
    }
    if ((std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) ||
        IsDeviceOrPipe(target_)) {
        // A device (a COM port, NUL): written as it is, never created or emptied.
        fd_ = FileDescriptor(_open(target_.c_str(), _O_WRONLY | _O_BINARY));
        if (!fd_.IsOpen()) {
            Fail(LastError());
        }
        return;
    }
    std::string name;
    fd_ = MakeTemporary(target_, _getpid(), name, CreateExclusive);
    if (!fd_.IsOpen()) {
        Fail(LastError());
        return;
    }
    temporary_ = name;
}

bool WholeFile::Write(std::string_view bytes) {
    while (!error_ && fd_.IsOpen() && !bytes.empty()) {
        const unsigned piece = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1 << 20));
        const int written = _write(fd_.Get(), bytes.data(), piece);
        if (written <= 0) {
            Fail(written < 0 ? LastError() : std::error_code(EIO, std::generic_category()));
        } else {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }
    return !error_ && fd_.IsOpen();
}

std::error_code FlushToDisk(const FileDescriptor& fd) {
    return _commit(fd.Get()) == 0 ? std::error_code() : LastError();
}

std::error_code Replace(const std::string& temporary, const std::string& target) {
    if (!MoveFileExA(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return {static_cast<int>(GetLastError()), std::system_category()};
    }
    return {};
}

void RemoveOwn(const std::string& name) {
    _unlink(name.c_str());
}

} // namespace qv4130::files

#endif
