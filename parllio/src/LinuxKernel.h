#pragma once

#include "Kernel.h"

#include <parllio/parllio.h>

namespace parllio {

// Where the operator's messages go instead of standard error, when the program
// asks for them (`handler` null: standard error again). Process-wide, since the
// program may ask before the library has made anything.
void RouteMessages(ParallelPortMessageHandler handler, void* context);

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
