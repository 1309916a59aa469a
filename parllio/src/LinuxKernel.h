#pragma once

#include "Kernel.h"

namespace parllio {

// The kernel itself: ppdev device nodes, procfs and standard error.
class LinuxKernel final : public Kernel {
public:
    int Open(const std::string& path) override;
    void Close(int fd) override;
    int Ioctl(int fd, unsigned long request, void* argument) override;
    int Claim(int fd, std::chrono::milliseconds patience) override;
    FileText ReadFile(const std::string& path) override;
    std::vector<std::string> ListDirectory(const std::string& path, int& error) override;
    void Tell(const std::string& line) override;
};

} // namespace parllio
