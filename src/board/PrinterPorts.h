#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qv4130 {

// The three printer ports the program knows by name, in the order the main
// window's "Printer Port" menu lists them.
enum class PortMenuItem { Lpt1, Lpt2, Prn };

inline constexpr std::array<PortMenuItem, 3> PortMenuItems{PortMenuItem::Lpt1, PortMenuItem::Lpt2,
                                                           PortMenuItem::Prn};

// The data-register address each port stands for.
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

// "LPT1", "LPT2" or "PRN": the menu's captions and the ports' usual names.
constexpr std::string_view PortMenuName(PortMenuItem item) {
    switch (item) {
    case PortMenuItem::Lpt1:
        return "LPT1";
    case PortMenuItem::Lpt2:
        return "LPT2";
    case PortMenuItem::Prn:
        break;
    }
    return "PRN";
}

// The port whose address is `address`, if any.
constexpr std::optional<PortMenuItem> PortMenuItemAt(std::uint16_t address) {
    for (PortMenuItem item : PortMenuItems) {
        if (PortMenuAddress(item) == address) {
            return item;
        }
    }
    return std::nullopt;
}

} // namespace qv4130
