#include "HostPorts.h"

namespace parllio {

const char* const UserConfigFile = "parllio.conf beside parllio.dll";
const char* const FirstHostPort = "the first that parllio.conf binds";
const char* const UsbDeviceList = "Device Manager lists the USB devices under Universal Serial Bus "
                                  "controllers, with their ids under Details, Hardware Ids";

// Windows lets no program reach a printer port by itself: each one is bound in
// the configuration, with the port-I/O driver that reaches it.
std::unique_ptr<Port> ClaimHostPort(Kernel&, Complaints& complaints, int index,
                                    std::chrono::milliseconds) {
    complaints.Tell("cannot claim port " + std::to_string(index + 1) + ": " + NoHostPorts(0, true));
    return nullptr;
}

std::string NoHostPorts(int, bool) {
    return "no port is bound in parllio.conf (beside parllio.dll, or in "
           "%PROGRAMDATA%\\parllio) and no FTDI adapter was found; bind the printer port there "
           "with \"LPT1 = io\" and the lines naming its port-I/O driver (io-driver, io-write, "
           "io-read), or plug in an FTDI USB adapter (see docs/windows.md)";
}

} // namespace parllio
