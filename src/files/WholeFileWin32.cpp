#if defined(_WIN32)

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

// A name of our own beside `target`, made with _O_EXCL so nothing there is opened.
FileDescriptor MakeTemporary(const std::string& target, std::string& name) {
    static std::atomic<unsigned> made{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + ".tmp-" + std::to_string(_getpid()) + "-" + std::to_string(made++);
        FileDescriptor fd(
            _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE));
        if (fd.IsOpen() || errno != EEXIST) {
            return fd;
        }
    }
    return FileDescriptor();
}

} // namespace

WholeFile::WholeFile(const std::string& path) : target_(FollowLinks(path)) {
    std::error_code unknown;
    const auto status = std::filesystem::status(target_, unknown);
    if (std::filesystem::is_directory(status)) {
        Fail(std::error_code(EISDIR, std::generic_category()));
        return;
    }
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        // A device (a COM port, NUL): written as it is, never created or emptied.
        fd_ = FileDescriptor(_open(target_.c_str(), _O_WRONLY | _O_BINARY));
        if (!fd_.IsOpen()) {
            Fail(LastError());
        }
        return;
    }
    std::string name;
    fd_ = MakeTemporary(target_, name);
    if (!fd_.IsOpen()) {
        Fail(LastError());
        return;
    }
    temporary_ = name;
}

WholeFile::~WholeFile() {
    fd_.Close();
    if (!temporary_.empty()) {
        _unlink(temporary_.c_str());
    }
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

bool WholeFile::Commit() {
    if (error_ || !fd_.IsOpen()) {
        return false;
    }
    if (!temporary_.empty() && _commit(fd_.Get()) != 0) {
        Fail(LastError());
        return false;
    }
    if (fd_.Close() != 0) {
        Fail(LastError());
        return false;
    }
    if (temporary_.empty()) {
        return true;
    }
    if (!MoveFileExA(temporary_.c_str(), target_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Fail(std::error_code(static_cast<int>(GetLastError()), std::system_category()));
        return false;
    }
    temporary_.clear();
    return true;
}

void WholeFile::Fail(std::error_code error) {
    if (!error_) {
        error_ = error;
    }
    fd_.Close();
    if (!temporary_.empty()) {
        _unlink(temporary_.c_str());
        temporary_.clear();
    }
}

} // namespace qv4130::files

#endif
