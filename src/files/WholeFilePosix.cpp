#if !defined(_WIN32)

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

// A name of our own beside `target`, made with O_EXCL so that nothing already
// there (a file, a planted link) is ever opened. Created 0666 less the umask,
// as the file itself would have been.
FileDescriptor MakeTemporary(const std::string& target, std::string& name) {
    static std::atomic<unsigned> made{0};
    const std::string::size_type slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    const auto salt = std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFF;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "." + base + ".tmp-" + std::to_string(getpid()) + "-" +
               std::to_string(salt) + "-" + std::to_string(made++);
        FileDescriptor fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.IsOpen() || errno != EEXIST) {
            return fd;
        }
    }
    return FileDescriptor();
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
    fd_ = MakeTemporary(target_, name);
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

WholeFile::~WholeFile() {
    fd_.Close();
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
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

bool WholeFile::Commit() {
    if (error_ || !fd_.IsOpen()) {
        return false;
    }
    // A device or a FIFO has no disk to flush to.
    if (!temporary_.empty() && ::fsync(fd_.Get()) != 0) {
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
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        Fail(LastError());
        return false;
    }
    temporary_.clear();
    SyncFolderOf(target_);
    return true;
}

void WholeFile::Fail(std::error_code error) {
    if (!error_) {
        error_ = error;
    }
    fd_.Close();
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

} // namespace qv4130::files

#endif
