// Start-up: names the host, finds and claims the printer port, sets up its control
// register and shows the status box.
#include "WindowsVersion.h"

#include "board/PortIo.h"
#include "qv4130/BoardVocabulary.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>

namespace qv4130 {

namespace {
constexpr std::uint32_t PlatformWin32Windows = 1; // VER_PLATFORM_WIN32_WINDOWS
constexpr std::uint32_t PlatformWin32Nt = 2;      // VER_PLATFORM_WIN32_NT

// All bits set: every claim flag the library knows, so no mode is left out.
constexpr std::int32_t ClaimFlags = -1;

// Claim and information answers count as "yes" by their low 16 bits only.
bool LowWordSet(std::int32_t result) {
    return (static_cast<std::uint32_t>(result) & 0xFFFFu) != 0;
}
} // namespace

std::string WindowsVersionName(const OsVersionInfo& version) {
    // Only one field is compared per platform: every NT 5.x is "Windows 2000".
    if (version.platformId == PlatformWin32Windows) {
        switch (version.minor) {
        case 0:
            return "Windows 95";
        case 10:
            return "Windows 98";
        default:
            return "";
        }
    }
    if (version.platformId == PlatformWin32Nt) {
        switch (version.major) {
        case 3:
            return "Windows NT 3.51";
        case 4:
            return "Windows NT 4.0";
        case 5:
            return "Windows 2000";
        default:
            return "";
        }
    }
    return "Failed";
}

std::string GetWindowsVersionName(StartupContext& context) {
    return WindowsVersionName(context.osVersion.Query());
}

bool UsesFixedPortAddress(const std::string& osName) {
    return osName.find("95") != std::string::npos || osName.find("98") != std::string::npos;
}

std::optional<std::uint16_t> PortAddressFromBase(std::int32_t base) {
    constexpr std::int32_t lowestSigned = std::numeric_limits<std::int16_t>::min();
    constexpr std::int32_t highestUnsigned = std::numeric_limits<std::uint16_t>::max();
    if (base < lowestSigned || base > highestUnsigned) {
        return std::nullopt;
    }
    const auto address = static_cast<std::uint16_t>(base);
    if (address < LowestPrinterPortAddress || address > highestUnsigned - ControlRegisterOffset) {
        return std::nullopt;
    }
    return address;
}

bool HasStatusSwitch(const std::string& argumentText) {
    std::string upper = argumentText;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper.find("/SS") != std::string::npos;
}

std::string StatusText(const std::string& osName, std::uint16_t portAddress) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(portAddress));
    return "Windows Version:" + osName + "\r" + "Port Address:0x" + hex;
}

void InitPort(StartupContext& context) {
    context.OsName = GetWindowsVersionName(context);
    if (UsesFixedPortAddress(context.OsName)) {
        context.state.PortAddress = Lpt1Address;
    } else {
        // The address query runs even when the claim was refused.
        const bool claimed = ClaimPort(context, NoHardwareWayOutText);
        GetPortAddress(context, claimed ? NoHardwareWayOutText : nullptr);
    }

    MaskControlRegister(context.library, context.state.PortAddress, StartupControlMask);

    ShowStatus(context);
}

bool ClaimPort(StartupContext& context, const char* wayOut) {
    (void)context.library.GetParallelPortCount();
    if (LowWordSet(context.library.ClaimParallelPort(BoardPortNumber, ClaimFlags))) {
        return true;
    }
    // The box's words are fixed for every library; the library's reason, when
    // it can give one, and the way on without a port go below them.
    std::string detail;
    if (const std::optional<std::string> reason = context.library.LastError()) {
        detail = *reason + "\n\n" + ClaimRestartText;
    }
    if (wayOut != nullptr) {
        detail += (detail.empty() ? "" : "\n\n") + std::string(wayOut);
    }
    context.messages.ShowMessage(ClaimFailedText, std::nullopt, MessageIcon::None, detail);
    return false;
}

void GetPortAddress(StartupContext& context, const char* wayOut) {
    ParallelPortInfo info{sizeof(ParallelPortInfo), 0, 0};
    std::optional<std::uint16_t> address;
    if (LowWordSet(context.library.GetParallelPortInfo(BoardPortNumber, &info))) {
        address = PortAddressFromBase(info.base_address);
    }
    if (!address) {
        context.messages.ShowMessage(NoPrinterPortText, NoPrinterPortTitle,
                                     MessageIcon::Exclamation, wayOut != nullptr ? wayOut : "");
        return;
    }
    context.state.PortAddress = *address;

    // The first item touched loads the main window, whose load handler then
    // already sees the new address. Another address leaves the window alone.
    if (const auto keep = PortMenuItemAt(*address)) {
        for (PortMenuItem item : PortMenuItems) {
            if (item != *keep) {
                context.mainWindow.DisablePortItem(item);
            }
        }
    }
}

void ShowStatus(StartupContext& context) {
    if (HasStatusSwitch(context.argumentText)) {
        context.messages.ShowMessage(StatusText(context.OsName, context.state.PortAddress),
                                     StatusTitle, MessageIcon::Information);
    }
}

} // namespace qv4130
