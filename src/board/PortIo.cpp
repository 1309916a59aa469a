#include "PortIo.h"

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

} // namespace qv4130
