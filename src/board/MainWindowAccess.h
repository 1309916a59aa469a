#pragma once

#include <cstdint>
#include <optional>

namespace qv4130 {

// The three items of the main window's "Printer Port" menu, in menu order.
enum class PortMenuItem { Lpt1, Lpt2, Prn };

// The data-register address each item stands for.
inline constexpr std::uint16_t Lpt1Address = 888; // 0x378
inline constexpr std::uint16_t Lpt2Address = 632; // 0x278
inline constexpr std::uint16_t PrnAddress = 956;  // 0x3BC

constexpr std::uint16_t PortMenuAddress(PortMenuItem item) {
    switch (item) {
    case PortMenuItem::Lpt1:
        return Lpt1Address;
    case PortMenuItem::Lpt2:
        return Lpt2Address;
    case PortMenuItem::Prn:
        break;
    }
    return PrnAddress;
}

// The menu item whose address is `address`, if any.
constexpr std::optional<PortMenuItem> PortMenuItemAt(std::uint16_t address) {
    for (PortMenuItem item : {PortMenuItem::Lpt1, PortMenuItem::Lpt2, PortMenuItem::Prn}) {
        if (PortMenuAddress(item) == address) {
            return item;
        }
    }
    return std::nullopt;
}

// The main window as start-up sees it. The window is loaded at its first touch,
// and loading it runs its load handler, which writes to the port; so whichever
// call comes first decides where those writes fall in the start-up sequence.
class MainWindowAccess {
public:
    virtual ~MainWindowAccess() = default;

    // Greys out one item of the port menu, loading the window first if need be.
    virtual void DisablePortItem(PortMenuItem item) = 0;

    // Loads the window if need be, shows it modally and returns once it is closed.
    virtual void ShowModal() = 0;
};

} // namespace qv4130
