#pragma once

#include "Kernel.h"

namespace parllio {

// The operating system itself behind the Kernel seam, one implementation per
// system: on Linux ppdev device nodes, procfs and standard error
// (LinuxKernel.cpp); on Windows files and the operator's messages only, its
// device calls failing, as Windows has no ppdev and its printer ports are
// reached through the port-I/O driver (WindowsKernel.cpp).
class SystemKernel final : public Kernel {
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
