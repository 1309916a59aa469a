#include "FakeKernel.h"

#include <cerrno>
#include <cstdio>
#include <linux/ioctl.h>
#include <linux/ppdev.h>

namespace parllio::testing {
namespace {

std::string Hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

// The N in a path that holds "parportN", or -1.
int IndexIn(const std::string& path) {
    const std::size_t at = path.rfind("parport");
    if (at == std::string::npos) {
        return -1;
    }
    int index = -1;
    std::sscanf(path.c_str() + at, "parport%d", &index);
    return index;
}

const char* NameOf(unsigned long request) {
    switch (request) {
    case PPEXCL:
        return "PPEXCL";
    case PPRELEASE:
        return "PPRELEASE";
    case PPRDATA:
        return "PPRDATA";
    case PPWDATA:
        return "PPWDATA";
    case PPRSTATUS:
        return "PPRSTATUS";
    case PPRCONTROL:
        return "PPRCONTROL";
    case PPWCONTROL:
        return "PPWCONTROL";
    case PPDATADIR:
        return "PPDATADIR";
    default:
        return "ioctl?";
    }
}

} // namespace

int FakeKernel::Open(const std::string& path) {
    const int index = IndexIn(path);
    const auto port = ports.find(index);
    if (path.rfind("/dev/parport", 0) != 0 || port == ports.end()) {
        calls.push_back("open " + path + " = -ENOENT");
        return -ENOENT;
    }
    if (port->second.openError != 0) {
        calls.push_back("open " + path + " = -" + std::to_string(port->second.openError));
        return -port->second.openError;
    }
    const int fd = nextFd_++;
    files_[fd] = OpenFile{index};
    openFds.insert(fd);
    calls.push_back("open " + path + " = " + std::to_string(fd));
    return fd;
}

void FakeKernel::Close(int fd) {
    calls.push_back("close " + std::to_string(fd));
    files_.erase(fd);
    openFds.erase(fd);
}

int FakeKernel::Claim(int fd, std::chrono::milliseconds patience) {
    calls.push_back("PPCLAIM " + std::to_string(fd));
    claimPatience.push_back(patience);
    OpenFile& file = files_.at(fd);
    const FakePort& port = ports.at(file.index);
    if (file.exclusive && port.otherDriverRegistered) {
        return -ENXIO; // the kernel cannot grant exclusive access
    }
    if (port.heldByOther) {
        return -EINTR; // slept until the patience ran out
    }
    file.claimed = true;
    return 0;
}

int FakeKernel::Ioctl(int fd, unsigned long request, void* argument) {
    // Built by appending only: GCC 12 at -O3 warns falsely (-Wrestrict) about
    // "text" + std::string, which would stop the release build.
    std::string line = NameOf(request);
    line.append(" ").append(std::to_string(fd));
    if (request == PPWDATA || request == PPWCONTROL) {
        line.append(" ").append(Hex2(*static_cast<unsigned char*>(argument)));
    } else if (request == PPDATADIR) {
        line.append(" ").append(std::to_string(*static_cast<int*>(argument)));
    }
    calls.push_back(line);

    OpenFile& file = files_.at(fd);
    FakePort& port = ports.at(file.index);
    if (const auto error = port.ioctlErrors.find(request); error != port.ioctlErrors.end()) {
        return -error->second;
    }
    if (request == PPEXCL) {
        file.exclusive = true;
        return 0;
    }
    if (!file.claimed) {
        return -EINVAL;
    }
    auto* byte = static_cast<unsigned char*>(argument);
    switch (request) {
    case PPRELEASE:
        file.claimed = false;
        return 0;
    case PPRDATA:
        *byte = port.data;
        return 0;
    case PPWDATA:
        port.data = *byte;
        return 0;
    case PPRSTATUS:
        *byte = port.status;
        return 0;
    case PPRCONTROL:
        *byte = port.controlLines & 0x0F;
        return 0;
    case PPWCONTROL:
        port.controlLines = *byte & 0x0F;
        return 0;
    case PPDATADIR:
        port.dataLinesInput = *static_cast<int*>(argument) != 0;
        return 0;
    default:
        return -ENOTTY;
    }
}

FileText FakeKernel::ReadFile(const std::string& path) {
    const auto port = ports.find(IndexIn(path));
    if (path.rfind("/proc/sys/dev/parport/", 0) != 0 || port == ports.end()) {
        return {{}, ENOENT};
    }
    if (path.ends_with("/base-addr")) {
        return {port->second.baseAddr, 0};
    }
    if (path.ends_with("/devices/active")) {
        return {port->second.activeHolder, 0};
    }
    return {{}, ENOENT};
}

std::vector<std::string> FakeKernel::ListDirectory(const std::string& path, int& error) {
    if (portListMissing || path != "/proc/sys/dev/parport") {
        error = ENOENT;
        return {};
    }
    error = 0;
    std::vector<std::string> names{"default"};
    for (const auto& [index, port] : ports) {
        names.push_back("parport" + std::to_string(index));
    }
    return names;
}

std::vector<std::string> FakeKernel::TakeCalls() {
    std::vector<std::string> taken;
    taken.swap(calls);
    return taken;
}

} // namespace parllio::testing
