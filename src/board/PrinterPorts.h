#pragma once

#include "qv4130/BoardVocabulary.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace qv4130 {

// A port the program knows by name: its place in NamedPorts, which is also its
// place in the main window's "Printer Port" menu.
enum class PortMenuItem : std::size_t { Lpt1, Lpt2, Prn };

inline constexpr std::array<PortMenuItem, NamedPorts.size()> PortMenuItems{
    PortMenuItem::Lpt1, PortMenuItem::Lpt2, PortMenuItem::Prn};

// The data-register address `item` stands for.
constexpr std::uint16_t PortMenuAddress(PortMenuItem item) {
    return NamedPorts[static_cast<std::size_t>(item)].address;
}

// "LPT1", "LPT2" or "PRN".
constexpr std::string_view PortMenuName(PortMenuItem item) {
    return NamedPorts[static_cast<std::size_t>(item)].name;
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
