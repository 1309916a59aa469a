#include "PortIo.h"

#include "Signals.h"

namespace qv4130 {

namespace {
bool IsPrinterPortAddress(std::uint16_t address) {
    return address >= LowestPrinterPortAddress;
}
} // namespace

std::int16_t PortIn(PortLibrary& library, std::uint16_t address) {
    if (!IsPrinterPortAddress(address)) {
        return 0;
    }
    return static_cast<std::int16_t>(library.InByte(address) & 0xFF);
}

void PortOut(PortLibrary& library, std::uint16_t address, std::int16_t value) {
    if (!IsPrinterPortAddress(address)) {
        return;
    }
    library.OutByte(address, value);
}

void MaskControlRegister(PortLibrary& library, std::uint16_t portAddress, std::int16_t keepMask) {
    // Formed in 16 bits: with no port (address 0) the register is at 2, where PortIo
    // makes no call.
    const auto control = static_cast<std::uint16_t>(portAddress + ControlRegisterOffset);
    PortOut(library, control, static_cast<std::int16_t>(PortIn(library, control) & keepMask));
}

} // namespace qv4130
