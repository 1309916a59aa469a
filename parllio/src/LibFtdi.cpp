#include "LibFtdi.h"

#include <ftdi.h>
#include <libusb.h>
#include <unistd.h>

namespace parllio {
namespace {

constexpr int NoContext = -100; // libftdi's own codes stop well above this

} // namespace

LibFtdi::LibFtdi() : search_(nullptr, ftdi_free) {}

LibFtdi::~LibFtdi() = default;

LibFtdi::Context LibFtdi::NewContext() {
    return Context(ftdi_new(), ftdi_free); // null when libusb cannot start
}

int LibFtdi::List(std::uint16_t vendor, std::uint16_t product, std::vector<FtdiDevice>& found) {
    found.clear();
    if (!search_) {
        search_ = NewContext();
        if (!search_) {
            searchError_ = "libusb cannot start";
            return NoContext;
        }
    }
    ftdi_device_list* list = nullptr;
    const int count = ftdi_usb_find_all(search_.get(), &list, vendor, product);
    if (count < 0) {
        searchError_ = ftdi_get_error_string(search_.get());
        return count;
    }
    const std::unique_ptr<ftdi_device_list, void (*)(ftdi_device_list*)> owned(
        list, [](ftdi_device_list* all) { ftdi_list_free(&all); });
    for (const ftdi_device_list* entry = list; entry != nullptr; entry = entry->next) {
        libusb_device_descriptor descriptor{};
        libusb_get_device_descriptor(entry->dev, &descriptor);
        FtdiDevice device{descriptor.idVendor,
                          descriptor.idProduct,
                          libusb_get_bus_number(entry->dev),
                          libusb_get_device_address(entry->dev),
                          "",
                          false};
        device.accessible = ::access(UsbNodePath(device).c_str(), R_OK | W_OK) == 0;
        char serial[128] = "";
        if (device.accessible && ftdi_usb_get_strings(search_.get(), entry->dev, nullptr, 0,
                                                      nullptr, 0, serial, sizeof serial) == 0) {
            device.serial = serial;
        }
        found.push_back(device);
    }
    return count;
}

int LibFtdi::Open(const FtdiDevice& device) {
    Context context = NewContext();
    if (!context) {
        searchError_ = "libusb cannot start";
        return NoContext;
    }
    if (const int result = ftdi_usb_open_bus_addr(context.get(), device.bus, device.address);
        result < 0) {
        searchError_ = ftdi_get_error_string(context.get());
        return result;
    }
    const std::lock_guard guard(lock_);
    open_.emplace(nextHandle_, std::move(context));
    return nextHandle_++;
}

ftdi_context* LibFtdi::Find(int handle) {
    const std::lock_guard guard(lock_);
    const auto found = open_.find(handle);
    return found != open_.end() ? found->second.get() : nullptr;
}

int LibFtdi::SetBitMode(int handle, std::uint8_t outputs, std::uint8_t mode) {
    return ftdi_set_bitmode(Find(handle), outputs, mode);
}

int LibFtdi::SetBaudRate(int handle, int rate) {
    return ftdi_set_baudrate(Find(handle), rate);
}

int LibFtdi::Write(int handle, const std::uint8_t* bytes, int count) {
    return ftdi_write_data(Find(handle), bytes, count);
}

void LibFtdi::Close(int handle) {
    if (ftdi_context* context = Find(handle)) {
        // The adapter stays in bit-bang mode and keeps driving the last byte,
        // as a printer port keeps its last byte when a program ends.
        ftdi_usb_close(context);
        const std::lock_guard guard(lock_);
        open_.erase(handle);
    }
}

std::string LibFtdi::ErrorText(int handle) {
    if (handle == NoHandle) {
        return searchError_;
    }
    ftdi_context* context = Find(handle);
    return context != nullptr ? ftdi_get_error_string(context) : "no such adapter";
}

} // namespace parllio
