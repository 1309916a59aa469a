#pragma once

#include "Complaints.h"
#include "PortConfig.h"

#include <cstdint>
#include <optional>
#include <string>

namespace parllio {

// Raw port I/O through the driver the operator installs and the configuration
// names: a DLL with a function that writes a byte to an I/O address and one
// that reads a byte from one. The real one loads that DLL; tests record the
// calls instead. Only RawIoPort calls Out and In, at its own port's registers.
class PortIo {
public:
    virtual ~PortIo() = default;

    // Loads the driver `names` names, once. Tells why and gives false when it can't.
    virtual bool Load(const IoDriverNames& names, Complaints& complaints) = 0;

    // The I/O base the system gave its printer port `name` ("LPT3"); nothing,
    // told why, when it has none.
    virtual std::optional<std::int32_t> FindPort(const std::string& name,
                                                 Complaints& complaints) = 0;

    virtual void Out(std::uint16_t address, std::uint8_t value) = 0;
    virtual std::uint8_t In(std::uint16_t address) = 0;
};

} // namespace parllio
