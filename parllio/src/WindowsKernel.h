#pragma once

#include "Kernel.h"

namespace parllio {

// What Windows gives the library through the Kernel seam: files (the
// configuration) and the operator's messages. It has no ppdev, so the device
// calls fail; its printer ports are reached through the port-I/O driver.
class WindowsKernel final : public Kernel {
public:
    int Open(const std::string& path) override;
    void Close(int fd) override;
    int Ioctl(int fd, unsigned long request, void* argument) override;
    int Claim(int fd, std::chrono::milliseconds patience) override;
    // `path` in UTF-8.
    FileText ReadFile(const std::string& path) override;
    std::vector<std::string> ListDirectory(const std::string& path, int& error) override;
    void Tell(const std::string& line) override;
};

} // namespace parllio
