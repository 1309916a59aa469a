#include "ScriptInput.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv4130::ctl {

namespace {
#ifdef _WIN32
// Windows has no FIFO that could hold up an open, and its descriptors are not
// handed to child programs unless asked; binary, so the bytes stay as written.
constexpr int OpenFlags = O_RDONLY | O_BINARY | O_NOINHERIT;
#else
// Not blocking: opening a FIFO that has no writer would wait for one forever.
constexpr int OpenFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
#endif

std::string SystemReason(int error) {
    return std::strerror(error);
}

// The kind of file that is not a script, in the words `ls -l` users know.
std::string NotRegular(mode_t mode) {
    if (S_ISDIR(mode)) {
        return SystemReason(EISDIR);
    }
    const char* kind = S_ISFIFO(mode)   ? "a FIFO"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
#ifdef S_ISSOCK
                       : S_ISSOCK(mode) ? "a socket"
#endif
                                        : "not a regular file";
    return std::string("not a regular file (") + kind + ")";
}
} // namespace

Result<ScriptInput> ScriptInput::Open(const std::string& path) {
    if (path == "-") {
        return ScriptInput(STDIN_FILENO, false);
    }
    const int fd = ::open(path.c_str(), OpenFlags);
    if (fd < 0) {
        return Failure{SystemReason(errno)};
    }
    ScriptInput script(fd, true);
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        return Failure{SystemReason(errno)};
    }
    if (!S_ISREG(status.st_mode)) {
        return Failure{NotRegular(status.st_mode)};
    }
#ifndef _WIN32
    // A regular file never blocks; clear the flag all the same for NFS and the like.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#endif
    return script;
}

Result<std::string_view> ScriptInput::Read() {
    buffer_.resize(ChunkBytes);
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
        if (got >= 0) {
            return std::string_view(buffer_.data(), static_cast<std::size_t>(got));
        }
        if (errno != EINTR) {
            return Failure{SystemReason(errno)};
        }
    }
}

} // namespace qv4130::ctl
