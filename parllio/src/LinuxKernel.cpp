#include "SystemKernel.h"

#include "Messages.h"
#include "Patience.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <memory>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace parllio {

int SystemKernel::Open(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? -errno : fd;
}

void SystemKernel::Close(int fd) {
    ::close(fd);
}

int SystemKernel::Ioctl(int fd, unsigned long request, void* argument) {
    return ::ioctl(fd, request, argument) < 0 ? -errno : 0;
}

int SystemKernel::Claim(int fd, std::chrono::milliseconds patience) {
    return CallWithPatience(patience, [fd] { return ::ioctl(fd, PPCLAIM) < 0 ? -errno : 0; });
}

FileText SystemKernel::ReadFile(const std::string& path) {
    // Not blocking, or a FIFO without a writer would hold the program forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return {{}, errno};
    }
    FileText result;
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        result.error = errno;
    } else if (S_ISDIR(status.st_mode)) {
        result.error = EISDIR;
    } else {
        result.irregular = !S_ISREG(status.st_mode);
    }
    if (result.error != 0 || result.irregular) {
        Close(fd);
        return result;
    }
    char chunk[4096];
    while (result.text.size() <= MaxFileBytes) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            result.error = errno;
            break;
        }
        if (got == 0) {
            break;
        }
        result.text.append(chunk, static_cast<std::size_t>(got));
    }
    if (result.text.size() > MaxFileBytes) {
        result.text.resize(MaxFileBytes);
        result.cut = true;
    }
    Close(fd);
    return result;
}

std::vector<std::string> SystemKernel::ListDirectory(const std::string& path, int& error) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(path.c_str()), ::closedir);
    if (!directory) {
        error = errno;
        return names;
    }
    error = 0;
    while (const dirent* entry = ::readdir(directory.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    return names;
}

void SystemKernel::Tell(const std::string& line) {
    TellOperator(line);
}

} // namespace parllio
