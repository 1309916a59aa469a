#pragma once

#include "Port.h"
#include "PortIo.h"

#include <cstdint>

namespace parllio {

// A printer port whose three registers, at base to base + 2, are read and
// written as they are through the operator's port-I/O driver. It touches no
// other address: the driver can reach every I/O port of the PC, and a stray
// write there could upset a disk controller or the interrupt controller.
class RawIoPort final : public Port {
public:
    RawIoPort(PortIo& io, std::uint16_t base) : io_(io), base_(base) {}

    std::uint8_t ReadData() override { return io_.In(base_); }
    std::uint8_t ReadStatus() override { return io_.In(static_cast<std::uint16_t>(base_ + 1)); }
    std::uint8_t ReadControl() override { return io_.In(static_cast<std::uint16_t>(base_ + 2)); }
    void WriteData(std::uint8_t value) override { io_.Out(base_, value); }
    void WriteControl(std::uint8_t value) override {
        io_.Out(static_cast<std::uint16_t>(base_ + 2), value);
    }

private:
    PortIo& io_;
    const std::uint16_t base_;
};

} // namespace parllio
