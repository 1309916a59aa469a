#include "ClaimedPort.h"

#include "Paths.h"
#include "qv4130/BoardVocabulary.h"

#include <cerrno>
#include <linux/ioctl.h>
#include <linux/ppdev.h>
#include <utility>

namespace parllio {
namespace {

constexpr std::uint8_t OutputLines = 0x0F; // STROBE, AUTOFEED, INIT, SELECT IN

std::string OpenAdvice(Kernel& kernel, int index, int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return " (add the user to the 'lp' group, then log in again)";
    case ENOENT:
        // The kernel lists the port but has no device node for it: no ppdev.
        if (kernel.ReadFile(BaseAddrPath(index)).error == 0) {
            return " (load the ppdev module: sudo modprobe ppdev)";
        }
        return " (the kernel has no port parport" + std::to_string(index) +
               "; sudo modprobe -a parport_pc ppdev loads its drivers, and "
               "/proc/sys/dev/parport lists the ports it found)";
    case ENXIO:
    case ENODEV:
        return " (the kernel has no such port: see /proc/sys/dev/parport)";
    default:
        return "";
    }
}

std::string Holder(Kernel& kernel, int index) {
    FileText active = kernel.ReadFile(ActiveDevicePath(index));
    while (!active.text.empty() && (active.text.back() == '\n' || active.text.back() == ' ')) {
        active.text.pop_back();
    }
    if (active.error != 0 || active.text.empty() || active.text == "none") {
        return "another program or driver";
    }
    return "'" + active.text + "'";
}

std::string ClaimFailure(Kernel& kernel, int index, int error) {
    const std::string device = DevicePath(index);
    if (error == EINTR) {
        return "cannot claim " + device + ": the port is busy, held by " + Holder(kernel, index) +
               " (stop it, or unload the printer driver: sudo rmmod lp; then start again)";
    }
    if (error == ENXIO) {
        return "cannot claim " + device + ": " + ErrorText(error) +
               " (another program may hold the port exclusively, or the port has gone)";
    }
    return "cannot claim " + device + ": " + ErrorText(error);
}

} // namespace

std::unique_ptr<ClaimedPort> ClaimedPort::Claim(Kernel& kernel, Complaints& complaints, int index,
                                                std::chrono::milliseconds patience) {
    const std::string path = DevicePath(index);
    auto open = [&]() -> int {
        const int fd = kernel.Open(path);
        if (fd < 0) {
            complaints.Tell("cannot open " + path + ": " + ErrorText(-fd) +
                            OpenAdvice(kernel, index, -fd));
        }
        return fd;
    };

    int fd = open();
    if (fd < 0) {
        return nullptr;
    }
    // Exclusive first: nothing else, not even the printer driver, can then
    // touch the lines the board listens to. The kernel refuses that (at the
    // claim, where ppdev registers) while another driver has the port
    // registered; the flag stays on the descriptor, so the shared claim needs a
    // fresh one.
    if (kernel.Ioctl(fd, PPEXCL, nullptr) == 0) {
        const int exclusive = kernel.Claim(fd, patience);
        if (exclusive == 0) {
            return std::make_unique<ClaimedPort>(Key{}, kernel, complaints, fd, path);
        }
        kernel.Close(fd);
        if (exclusive == -EINTR) {
            complaints.Tell(ClaimFailure(kernel, index, EINTR));
            return nullptr;
        }
        fd = open();
        if (fd < 0) {
            return nullptr;
        }
    }
    const int shared = kernel.Claim(fd, patience);
    if (shared != 0) {
        kernel.Close(fd);
        complaints.Tell(ClaimFailure(kernel, index, -shared));
        return nullptr;
    }
    return std::make_unique<ClaimedPort>(Key{}, kernel, complaints, fd, path);
}

ClaimedPort::ClaimedPort(Key, Kernel& kernel, Complaints& complaints, int fd, std::string path)
    : kernel_(kernel), complaints_(complaints), fd_(fd), path_(std::move(path)) {}

ClaimedPort::~ClaimedPort() {
    kernel_.Ioctl(fd_, PPRELEASE, nullptr);
    kernel_.Close(fd_);
}

void ClaimedPort::Fail(const char* what, int error) {
    complaints_.Tell(std::string(what) + " " + path_ + " failed: " + ErrorText(error));
}

std::uint8_t ClaimedPort::ReadRegister(unsigned long request, const char* what) {
    unsigned char value = 0;
    if (const int result = kernel_.Ioctl(fd_, request, &value); result != 0) {
        Fail(what, -result);
        return qv4130::UndrivenBus;
    }
    return value;
}

std::uint8_t ClaimedPort::ReadData() {
    return ReadRegister(PPRDATA, "reading the data register of");
}

std::uint8_t ClaimedPort::ReadStatus() {
    return ReadRegister(PPRSTATUS, "reading the status register of");
}

std::uint8_t ClaimedPort::ReadControl() {
    unsigned char lines = 0;
    if (const int result = kernel_.Ioctl(fd_, PPRCONTROL, &lines); result != 0) {
        Fail("reading the control register of", -result);
        return control_;
    }
    return static_cast<std::uint8_t>((lines & OutputLines) | (control_ & ~OutputLines));
}

void ClaimedPort::WriteData(std::uint8_t value) {
    unsigned char byte = value;
    if (const int result = kernel_.Ioctl(fd_, PPWDATA, &byte); result != 0) {
        Fail("writing the data register of", -result);
    }
}

void ClaimedPort::WriteControl(std::uint8_t value) {
    control_ = value;
    unsigned char lines = value & OutputLines;
    if (const int result = kernel_.Ioctl(fd_, PPWCONTROL, &lines); result != 0) {
        Fail("writing the control register of", -result);
    }
    const bool input = (value & qv4130::ControlDirectionBit) != 0;
    if (dataLinesInput_ != input) {
        int direction = input ? 1 : 0;
        if (const int result = kernel_.Ioctl(fd_, PPDATADIR, &direction); result != 0) {
            Fail("setting the data direction of", -result);
            dataLinesInput_.reset(); // unknown again, so the next write tries once more
            return;
        }
        dataLinesInput_ = input;
    }
}

} // namespace parllio
