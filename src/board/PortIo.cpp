#include "PortIo.h"

#include "qv4130/BoardVocabulary.h"

namespace qv4130 {

namespace {
bool IsPrinterPortAddress(std::uint16_t address) {
    return address >= LowestPrinterPortAddress;
}

// The port library takes an I/O address as a 32-bit value sign-extended from
// 16 bits: a card at 0xD010 is passed as -12272, as a library written for the
// interface expects.
std::int32_t AsLibraryAddress(std::uint16_t address) {
    return static_cast<std::int16_t>(address);
}
} // namespace

std::int16_t PortIn(PortLibrary& library, std::uint16_t address) {
    if (!IsPrinterPortAddress(address)) {
        return 0;
    }
    return static_cast<std::int16_t>(library.InByte(AsLibraryAddress(address)) & 0xFF);
}

void PortOut(PortLibrary& library, std::uint16_t address, std::int16_t value) {
    if (!IsPrinterPortAddress(address)) {
        return;
    }
    library.OutByte(AsLibraryAddress(address), value);
}

void MaskControlRegister(PortLibrary& library, std::uint16_t portAddress, std::int16_t keepMask) {
    // Formed in 16 bits: with no port (address 0) the register is at 2, where PortIo
    // makes no call.
    const auto control = static_cast<std::uint16_t>(portAddress + ControlRegisterOffset);
    PortOut(library, control, static_cast<std::int16_t>(PortIn(library, control) & keepMask));
}

} // namespace qv4130
