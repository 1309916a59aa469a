#pragma once

#include "PortIo.h"
#include "WindowsModules.h"

#include <string>

namespace parllio {

// The port-I/O driver the operator installs: Windows lets no program touch an
// I/O port itself, so a driver does it, and its DLL exports a function that
// writes a byte to an I/O address and one that reads one. The configuration
// names the DLL and the two functions; the DLL is loaded, by name from
// parllio.dll's folder or the system folder or by its path, when a printer
// port bound to raw I/O is first claimed.
class DriverPortIo final : public PortIo {
public:
    explicit DriverPortIo(std::wstring folder) : folder_(std::move(folder)) {}

    bool Load(const IoDriverNames& names, Complaints& complaints) override;
    // From Windows' device information.
    std::optional<std::int32_t> FindPort(const std::string& name, Complaints& complaints) override;
    void Out(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t In(std::uint16_t address) override;

private:
    // Such drivers take and give 16-bit addresses and values (32-bit ones are
    // passed the same way); the byte is in the low 8 bits.
    using WriteByte = void(WINAPI*)(short address, short value);
    using ReadByte = short(WINAPI*)(short address);

    const std::wstring folder_;
    IoDriverNames names_;
    Module module_;
    WriteByte write_ = nullptr;
    ReadByte read_ = nullptr;
};

} // namespace parllio
