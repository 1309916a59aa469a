#include "HostPorts.h"

#include "ClaimedPort.h"
#include "Paths.h"

namespace parllio {

const char* const UserConfigFile = "~/.config/parllio.conf";
const char* const FirstHostPort = "/dev/parport0";
const char* const UsbDeviceList = "lsusb lists the USB devices";

std::unique_ptr<Port> ClaimHostPort(Kernel& kernel, Complaints& complaints, int index,
                                    std::chrono::milliseconds patience) {
    return ClaimedPort::Claim(kernel, complaints, index, patience);
}

std::string NoHostPorts(int error, bool adapters) {
    return std::string("the kernel lists no printer ports (") + PortListDirectory + ": " +
           ErrorText(error) + "); load its modules: sudo modprobe -a parport_pc ppdev" +
           (adapters ? "; or plug in an FTDI USB adapter" : "");
}

} // namespace parllio
