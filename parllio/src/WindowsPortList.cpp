#include "WindowsPortList.h"

#include "WindowsModules.h"

// The GUIDs the headers declare are defined here, once.
#include <initguid.h>

#include <cfgmgr32.h>
#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace parllio {
namespace {

struct DestroyList {
    void operator()(HDEVINFO set) const { SetupDiDestroyDeviceInfoList(set); }
};
using DeviceList = std::unique_ptr<void, DestroyList>;

struct CloseKey {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, CloseKey>;

// A configuration manager handle, freed by `Free` when it goes.
template <typename Handle, CONFIGRET(WINAPI* Free)(Handle)> struct Held {
    Handle handle = 0;
    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() {
        if (handle != 0) {
            Free(handle);
        }
    }
};

// The name Windows gives the port ("LPT1", "COM3"), as Device Manager shows it.
std::wstring PortName(HDEVINFO set, SP_DEVINFO_DATA& device) {
    const HKEY opened =
        SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (opened == INVALID_HANDLE_VALUE) {
        return {};
    }
    const Key key(opened);
    wchar_t name[64] = L"";
    DWORD size = sizeof name - sizeof name[0];
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return {};
    }
    return name;
}

// The start of the first I/O range Windows allocated to `device`.
std::optional<std::int32_t> FirstIoBase(DEVINST device) {
    Held<LOG_CONF, CM_Free_Log_Conf_Handle> configuration;
    if (CM_Get_First_Log_Conf(&configuration.handle, device, ALLOC_LOG_CONF) != CR_SUCCESS) {
        return std::nullopt;
    }
    Held<RES_DES, CM_Free_Res_Des_Handle> range;
    ULONG size = 0;
    if (CM_Get_Next_Res_Des(&range.handle, configuration.handle, ResType_IO, nullptr, 0) !=
            CR_SUCCESS ||
        CM_Get_Res_Des_Data_Size(&size, range.handle, 0) != CR_SUCCESS || size < sizeof(IO_DES)) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> data(size);
    if (CM_Get_Res_Des_Data(range.handle, data.data(), size, 0) != CR_SUCCESS) {
        return std::nullopt;
    }
    IO_DES io{};
    std::copy_n(data.data(), sizeof io, reinterpret_cast<std::uint8_t*>(&io));
    if (io.IOD_Alloc_Base == 0 || io.IOD_Alloc_Base > 0xFFFF - 2) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(io.IOD_Alloc_Base);
}

} // namespace

std::optional<std::int32_t> WindowsPortBase(const std::string& name, std::string& why) {
    const DeviceList set(
        SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT));
    if (set.get() == INVALID_HANDLE_VALUE) {
        why = "cannot read Windows' list of ports: " + SystemErrorText(GetLastError());
        return std::nullopt;
    }
    const std::wstring wanted = Widened(name);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set.get(), index, &device); ++index) {
        if (_wcsicmp(PortName(set.get(), device).c_str(), wanted.c_str()) != 0) {
            continue;
        }
        if (const auto base = FirstIoBase(device.DevInst)) {
            return base;
        }
        why = "Windows gave its port " + name +
              " no I/O address (a USB printer adapter?); the board needs a port on the I/O bus: "
              "built in, PCI or PCIe";
        return std::nullopt;
    }
    why = "Windows lists no port " + name +
          " (Device Manager shows the printer ports under Ports (COM & LPT))";
    return std::nullopt;
}

} // namespace parllio
