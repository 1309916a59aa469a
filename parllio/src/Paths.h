#pragma once

#include <string>

namespace parllio {

// The kernel numbers its ports from 0; the library's callers number them from 1.
inline std::string DevicePath(int index) {
    return "/dev/parport" + std::to_string(index);
}

inline constexpr const char* PortListDirectory = "/proc/sys/dev/parport";

inline std::string PortProcDirectory(int index) {
    return std::string(PortListDirectory) + "/parport" + std::to_string(index);
}
inline std::string BaseAddrPath(int index) {
    return PortProcDirectory(index) + "/base-addr";
}
// The name of the device that holds the port now, or "none".
inline std::string ActiveDevicePath(int index) {
    return PortProcDirectory(index) + "/devices/active";
}

} // namespace parllio
