#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace parllio {

// An FTDI USB adapter on the bus, as a search finds it.
struct FtdiDevice {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::uint8_t bus = 0;
    std::uint8_t address = 0;
    // Empty when it could not be read: the string needs the device opened.
    std::string serial;
    // Whether this user may open the device's node under /dev/bus/usb.
    bool accessible = false;
};

// The device node whose permissions decide whether the adapter can be opened.
inline std::string UsbNodePath(const FtdiDevice& device) {
    char path[32];
    std::snprintf(path, sizeof path, "/dev/bus/usb/%03u/%03u", static_cast<unsigned>(device.bus),
                  static_cast<unsigned>(device.address));
    return path;
}

// The few libftdi1 calls the library makes. The real one is a thin layer over
// libftdi1; tests put simulated adapters in its place. Every call gives
// libftdi's own result: 0 or more on success, its negative code on failure,
// whose text ErrorText then gives.
class Ftdi {
public:
    // The handle ErrorText takes for a failed search or open.
    static constexpr int NoHandle = -1;

    virtual ~Ftdi() = default;

    // ftdi_usb_find_all: the adapters with these ids plugged in now; 0 and 0
    // stand for FTDI's own chips (FT232R, FT2232H, FT4232H, FT232H, FT230X).
    virtual int List(std::uint16_t vendor, std::uint16_t product,
                     std::vector<FtdiDevice>& found) = 0;

    // ftdi_usb_open_bus_addr: a handle, or the failure. libftdi first detaches
    // the kernel's serial driver (ftdi_sio) from the adapter.
    virtual int Open(const FtdiDevice& device) = 0;

    virtual int SetBitMode(int handle, std::uint8_t outputs, std::uint8_t mode) = 0;
    virtual int SetBaudRate(int handle, int rate) = 0;
    virtual int Write(int handle, const std::uint8_t* bytes, int count) = 0;
    virtual void Close(int handle) = 0;

    virtual std::string ErrorText(int handle) = 0;

    // Where the operator finds the adapter, for messages: its USB device node.
    virtual std::string Where(const FtdiDevice& device) { return UsbNodePath(device); }
};

} // namespace parllio
