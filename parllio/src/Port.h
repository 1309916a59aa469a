#pragma once

#include <cstdint>

namespace parllio {

// The byte-wide view of a printer port's three registers that a program written
// for raw port I/O expects, whatever stands behind it: a ppdev port or a USB
// bit-bang adapter. Giving the port back happens when the object goes.
class Port {
public:
    virtual ~Port() = default;

    virtual std::uint8_t ReadData() = 0;
    virtual std::uint8_t ReadStatus() = 0;
    virtual std::uint8_t ReadControl() = 0;
    virtual void WriteData(std::uint8_t value) = 0;
    virtual void WriteControl(std::uint8_t value) = 0;
};

} // namespace parllio
