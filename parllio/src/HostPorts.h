#pragma once

#include "Complaints.h"
#include "Kernel.h"
#include "Port.h"

#include <chrono>
#include <memory>
#include <string>

namespace parllio {

// The operating system's own printer ports, which the library uses when the
// configuration binds none: each platform has its file.

// Claims the system's printer port `index` (numbered from 0). Tells why and
// gives nothing when it can't.
std::unique_ptr<Port> ClaimHostPort(Kernel& kernel, Complaints& complaints, int index,
                                    std::chrono::milliseconds patience);

// Why no port at all was found when the system's list of ports could not be
// read (`error`, an errno), and the way out; `adapters` when a USB adapter
// would have done.
std::string NoHostPorts(int error, bool adapters);

// For messages, in the system's own words: the configuration file the
// operator edits, what port 1 is when nothing is bound, and where the
// operator sees the USB devices plugged in.
extern const char* const UserConfigFile;
extern const char* const FirstHostPort;
extern const char* const UsbDeviceList;

} // namespace parllio
