#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace parllio {

// Files the library reads (sysfs attributes, configuration files) are short;
// past this much only the start is read.
inline constexpr std::size_t MaxFileBytes = 64 * 1024;

// A file's text, or the errno that kept us from reading it.
struct FileText {
    std::string text;
    int error = 0;
    // Not a regular file (a FIFO, a device): nothing was read, as it may never end.
    bool irregular = false;
    // Longer than MaxFileBytes: `text` is its start.
    bool cut = false;
};

// Every call the library makes into the operating system. The real one is a
// thin layer over open/ioctl/close and procfs; tests put a simulated kernel in
// its place. Failures come back as a negative errno, never through `errno`.
class Kernel {
public:
    virtual ~Kernel() = default;

    // Opens a device read-write and close-on-exec: a descriptor, or -errno.
    virtual int Open(const std::string& path) = 0;
    virtual void Close(int fd) = 0;

    // ioctl(fd, request, argument): 0, or -errno.
    virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;

    // PPCLAIM, which sleeps while another device holds the port: 0, or -errno,
    // with -EINTR once `patience` has run out.
    virtual int Claim(int fd, std::chrono::milliseconds patience) = 0;

    // A regular file's text, at most MaxFileBytes of it.
    virtual FileText ReadFile(const std::string& path) = 0;

    // The names in a directory (without "." and ".."); an errno when it can't be read.
    virtual std::vector<std::string> ListDirectory(const std::string& path, int& error) = 0;

    // Where a message for the operator goes (standard error).
    virtual void Tell(const std::string& line) = 0;
};

} // namespace parllio
