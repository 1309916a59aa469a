#if !defined(_WIN32)

#include "TemporaryFile.h"
#include "WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>

namespace qv4130::files {

namespace {

std::error_code LastError() {
    return {errno, std::generic_category()};
}

// Created 0666 less the umask, as the file itself would have been.
FileDescriptor CreateExclusive(const std::string& name) {
    return FileDescriptor(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
}

// So that the rename itself survives a power cut; the data already did.
void SyncFolderOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.IsOpen()) {
        ::fsync(fd.Get());
    }
}

} // namespace

WholeFile::WholeFile(const std::string& path) : target_(FollowLinks(path)) {
    struct stat status {};
    if (::stat(target_.c_str(), &status) != 0) {
        if (errno != ENOENT) {
            Fail(LastError());
            return;
        }
    } else if (S_ISDIR(status.st_mode)) {
        Fail(std::error_code(EISDIR, std::generic_category()));
        return;
    } else if (!S_ISREG(status.st_mode)) {
        // A device or a FIFO: written as it is. Without O_CREAT or O_TRUNC,
        // nothing can make a file here in its place.
        fd_ = FileDescriptor(::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
        if (!fd_.IsOpen()) {
            Fail(LastError());
        }
        return;
    }
    std::string name;
    fd_ = MakeTemporary(target_, ::getpid(), name, CreateExclusive);
    if (!fd_.IsOpen()) {
        Fail(LastError());
        return;
    }
    temporary_ = name;
    // The replacement keeps the permissions of the file it replaces.
    if (S_ISREG(status.st_mode) && ::fchmod(fd_.Get(), status.st_mode & 07777) != 0) {
        Fail(LastError());
    }
}

bool WholeFile::Write(std::string_view bytes) {
    // Interrupted writes are tried again, a bounded number of times in a row.
    for (int interrupted = 0; !error_ && fd_.IsOpen() && !bytes.empty();) {
        const ssize_t written = ::write(fd_.Get(), bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            interrupted = 0;
        } else if (written < 0 && errno == EINTR && ++interrupted < 100) {
            continue;
        } else {
            Fail(written < 0 ? LastError() : std::error_code(EIO, std::generic_category()));
        }
    }
    return !error_ && fd_.IsOpen();
}

std::error_code FlushToDisk(const FileDescriptor& fd) {
    return ::fsync(fd.Get()) == 0 ? std::error_code() : LastError();
}

std::error_code Replace(const std::string& temporary, const std::string& target) {
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        return LastError();
    }
    SyncFolderOf(target);
    return {};
}

void RemoveOwn(const std::string& name) {
    ::unlink(name.c_str());
}

} // namespace qv4130::files

#endif
