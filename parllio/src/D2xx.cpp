#include "D2xx.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace parllio {

// The driver's calls as FTDI documents them: every one returns a status, 0 for
// success, and passes the device's handle as an opaque pointer.
struct D2xx::Api {
    // One row of the driver's device list.
    struct Node {
        ULONG flags; // bit 0: another process has it open
        ULONG type;
        ULONG id; // vendor in the high 16 bits, product in the low
        DWORD location;
        char serial[16];
        char description[64];
        void* handle;
    };
    using CreateList = Status(WINAPI*)(DWORD* count);
    using GetList = Status(WINAPI*)(Node* nodes, DWORD* count);
    using OpenIndex = Status(WINAPI*)(int index, void** handle);
    using OpenEx = Status(WINAPI*)(void* what, DWORD by, void** handle);
    using SetBitMode = Status(WINAPI*)(void* handle, UCHAR mask, UCHAR mode);
    using SetBaudRate = Status(WINAPI*)(void* handle, ULONG rate);
    using Write = Status(WINAPI*)(void* handle, void* bytes, DWORD count, DWORD* written);
    using Close = Status(WINAPI*)(void* handle);

    CreateList createList = nullptr;
    GetList getList = nullptr;
    OpenIndex open = nullptr;
    OpenEx openEx = nullptr;
    SetBitMode setBitMode = nullptr;
    SetBaudRate setBaudRate = nullptr;
    Write write = nullptr;
    Close close = nullptr;
};

namespace {

constexpr D2xx::Status Ok = 0;
constexpr DWORD OpenBySerialNumber = 1;
constexpr std::uint16_t FtdiVendor = 0x0403;
constexpr int Failed = -1;

constexpr std::array<const char*, 20> StatusNames{
    "FT_OK",
    "FT_INVALID_HANDLE",
    "FT_DEVICE_NOT_FOUND (unplugged?)",
    "FT_DEVICE_NOT_OPENED (another program has it open?)",
    "FT_IO_ERROR (unplugged?)",
    "FT_INSUFFICIENT_RESOURCES",
    "FT_INVALID_PARAMETER",
    "FT_INVALID_BAUD_RATE",
    "FT_DEVICE_NOT_OPENED_FOR_ERASE",
    "FT_DEVICE_NOT_OPENED_FOR_WRITE",
    "FT_FAILED_TO_WRITE_DEVICE",
    "FT_EEPROM_READ_FAILED",
    "FT_EEPROM_WRITE_FAILED",
    "FT_EEPROM_ERASE_FAILED",
    "FT_EEPROM_NOT_PRESENT",
    "FT_EEPROM_NOT_PROGRAMMED",
    "FT_INVALID_ARGS",
    "FT_NOT_SUPPORTED",
    "FT_OTHER_ERROR",
    "FT_DEVICE_LIST_NOT_READY",
};

std::string StatusText(D2xx::Status status) {
    if (status < StatusNames.size()) {
        return StatusNames[status];
    }
    return "D2XX status " + std::to_string(status);
}

constexpr const char* Missing = "FTDI's D2XX driver (ftd2xx.dll) is not installed: ";
constexpr const char* Install =
    " (Windows installs it with the driver of an FTDI adapter when one is plugged in; else "
    "install FTDI's driver package, or bind the port to a printer port in parllio.conf)";

} // namespace

D2xx::D2xx(std::wstring folder) : folder_(std::move(folder)) {}

D2xx::~D2xx() {
    if (api_) {
        for (const auto& [handle, device] : open_) {
            api_->close(device);
        }
    }
}

bool D2xx::Loaded() {
    if (api_) {
        return true;
    }
    LoadedModule loaded = LoadModule(folder_, "ftd2xx.dll");
    if (!loaded.module) {
        errors_[NoHandle] = Missing + loaded.failure + Install;
        return false;
    }
    auto api = std::make_unique<Api>();
    HMODULE module = loaded.module.get();
    const char* lacking = nullptr;
    auto find = [&](auto& function, const char* name) {
        function = Function<std::remove_reference_t<decltype(function)>>(module, name);
        if (function == nullptr && lacking == nullptr) {
            lacking = name;
        }
    };
    find(api->createList, "FT_CreateDeviceInfoList");
    find(api->getList, "FT_GetDeviceInfoList");
    find(api->open, "FT_Open");
    find(api->openEx, "FT_OpenEx");
    find(api->setBitMode, "FT_SetBitMode");
    find(api->setBaudRate, "FT_SetBaudRate");
    find(api->write, "FT_Write");
    find(api->close, "FT_Close");
    if (lacking != nullptr) {
        errors_[NoHandle] =
            Missing + std::string("the ftd2xx.dll found lacks ") + lacking + Install;
        return false;
    }
    module_ = std::move(loaded.module);
    api_ = std::move(api);
    return true;
}

int D2xx::Result(int handle, Status status, const char* call) {
    if (status == Ok) {
        return 0;
    }
    errors_[handle] = std::string(call) + " failed: " + StatusText(status);
    return Failed;
}

int D2xx::List(std::uint16_t vendor, std::uint16_t product, std::vector<FtdiDevice>& found) {
    const std::lock_guard guard(lock_);
    found.clear();
    if (!Loaded()) {
        return Failed;
    }
    DWORD count = 0;
    if (Result(NoHandle, api_->createList(&count), "FT_CreateDeviceInfoList") < 0) {
        return Failed;
    }
    std::vector<Api::Node> nodes(count);
    if (count > 0 &&
        Result(NoHandle, api_->getList(nodes.data(), &count), "FT_GetDeviceInfoList") < 0) {
        return Failed;
    }
    nodes.resize(std::min<std::size_t>(nodes.size(), count));
    for (std::size_t index = 0; index < nodes.size(); ++index) {
        const Api::Node& node = nodes[index];
        FtdiDevice device;
        device.vendor = static_cast<std::uint16_t>(node.id >> 16);
        device.product = static_cast<std::uint16_t>(node.id & 0xFFFF);
        const bool wanted = vendor == 0 && product == 0
                                ? device.vendor == FtdiVendor
                                : device.vendor == vendor && device.product == product;
        if (!wanted) {
            continue;
        }
        device.address = static_cast<std::uint8_t>(index); // the driver's index of the device
        device.serial.assign(node.serial, strnlen(node.serial, sizeof node.serial));
        // Windows asks for no permission; an adapter another program has open
        // fails at its opening with that reason.
        device.accessible = true;
        found.push_back(device);
    }
    return static_cast<int>(found.size());
}

int D2xx::Open(const FtdiDevice& device) {
    const std::lock_guard guard(lock_);
    if (!Loaded()) {
        return Failed;
    }
    void* opened = nullptr;
    // The serial names the adapter whatever the order of the list; without one, its place.
    const Status status =
        device.serial.empty()
            ? api_->open(device.address, &opened)
            : api_->openEx(const_cast<char*>(device.serial.c_str()), OpenBySerialNumber, &opened);
    if (Result(NoHandle, status, device.serial.empty() ? "FT_Open" : "FT_OpenEx") < 0) {
        return Failed;
    }
    const int handle = nextHandle_++;
    open_[handle] = opened;
    return handle;
}

void* D2xx::Handle(int handle) {
    const auto found = open_.find(handle);
    if (found == open_.end()) {
        errors_[handle] = "no such adapter open";
        return nullptr;
    }
    return found->second;
}

int D2xx::SetBitMode(int handle, std::uint8_t outputs, std::uint8_t mode) {
    const std::lock_guard guard(lock_);
    void* device = Handle(handle);
    return device == nullptr
               ? Failed
               : Result(handle, api_->setBitMode(device, outputs, mode), "FT_SetBitMode");
}

int D2xx::SetBaudRate(int handle, int rate) {
    const std::lock_guard guard(lock_);
    void* device = Handle(handle);
    // The rate is libftdi's, which in bit-bang mode programs four times the
    // rate asked for; the D2XX driver programs the rate as given. Four times
    // it here keeps the adapter's pace the same on both systems.
    return device == nullptr
               ? Failed
               : Result(handle, api_->setBaudRate(device, static_cast<ULONG>(rate) * 4),
                        "FT_SetBaudRate");
}

int D2xx::Write(int handle, const std::uint8_t* bytes, int count) {
    const std::lock_guard guard(lock_);
    void* device = Handle(handle);
    if (device == nullptr) {
        return Failed;
    }
    DWORD written = 0;
    const Status status =
        api_->write(device, const_cast<std::uint8_t*>(bytes), static_cast<DWORD>(count), &written);
    if (Result(handle, status, "FT_Write") < 0) {
        return Failed;
    }
    if (written != static_cast<DWORD>(count)) {
        errors_[handle] =
            "FT_Write took " + std::to_string(written) + " of " + std::to_string(count) + " bytes";
        return Failed;
    }
    return count;
}

void D2xx::Close(int handle) {
    const std::lock_guard guard(lock_);
    if (void* device = Handle(handle)) {
        api_->close(device);
        open_.erase(handle);
    }
    errors_.erase(handle);
}

std::string D2xx::ErrorText(int handle) {
    const std::lock_guard guard(lock_);
    const auto found = errors_.find(handle);
    return found != errors_.end() ? found->second : "no failure";
}

std::string D2xx::Where(const FtdiDevice& device) {
    return "the D2XX driver's device " + std::to_string(device.address);
}

} // namespace parllio
