#if !defined(_WIN32)

#include "ProgramStarter.h"
#include "qv4130/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace qv4130 {

namespace {
[[noreturn]] void Fail(const std::string& path, int error) {
    throw ProgramStartError(path + ": " + std::generic_category().message(error));
}

// Runs in the forked child, where only async-signal-safe calls are allowed: it
// forks once more and leaves at once, so the program runs as an orphan that the
// system reaps and never becomes our zombie. A failed exec writes its errno into
// the pipe; a successful one closes the pipe (close-on-exec) unwritten.
[[noreturn]] void StartDetached(char* const argv[], int reportFd) {
    const pid_t grandchild = ::fork();
    if (grandchild > 0) {
        ::_exit(0);
    }
    if (grandchild == 0) {
        ::setsid();
        ::execv(argv[0], argv);
    }
    // Only a failed fork or a failed exec gets here.
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(reportFd, &error, sizeof error);
    ::_exit(127);
}
} // namespace

void HostProgramStarter::Start(const std::string& path, WindowShow) {
    if (path.empty()) {
        throw ProgramStartError("no program to start");
    }
    int fds[2];
    // Close-on-exec from the start: a fork in another thread must never inherit
    // the write end, or the read below would wait for that child's exit.
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        Fail(path, errno);
    }
    FileDescriptor readEnd(fds[0]);
    FileDescriptor writeEnd(fds[1]);

    // Everything the child needs is made before the fork.
    std::vector<char> program(path.begin(), path.end());
    program.push_back('\0');
    char* const argv[] = {program.data(), nullptr};

    const pid_t child = ::fork();
    if (child < 0) {
        Fail(path, errno);
    }
    if (child == 0) {
        StartDetached(argv, writeEnd.Get());
    }
    writeEnd.Close();
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }

    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(readEnd.Get(), &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    if (got > 0) {
        Fail(path, error);
    }
}

} // namespace qv4130

#endif
