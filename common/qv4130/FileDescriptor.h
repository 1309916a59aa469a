#pragma once

#include <unistd.h>

#include <utility>

namespace qv4130 {

// Owns an open descriptor (a socket, a device node, a file) and closes it once.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }

    // Closes it now, for the caller that must know whether the last of its
    // writes reached the file: a network file system may report failure only here.
    int Close() { return fd_ >= 0 ? close(std::exchange(fd_, -1)) : 0; }

private:
    int fd_;
};

} // namespace qv4130
