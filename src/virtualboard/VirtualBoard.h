#pragma once

#include "Qv4130Chip.h"
#include "board/PortLibrary.h"
#include "board/PrinterPorts.h"
#include "trace/WriteHistory.h"

#include <cstdint>
#include <vector>

namespace qv4130 {

// Told after every change the board shows. It runs inside the port write that
// caused it, so it must be quick: note that a redraw is due and return.
class VirtualBoardObserver {
public:
    virtual void BoardChanged() = 0;

protected:
    ~VirtualBoardObserver() = default;
};

// A PC with one plain printer port, LPT1 at 888, and the QV4130 evaluation board
// hanging on it, standing in for the port library. The port answers at its three
// addresses: the data register (888) drives the chip and reads back what was
// written, the status register (889) reads as an idle port with nothing pulling
// its inputs, and the control register (890) holds what was written. Nothing
// answers anywhere else, as on a real bench: writes there are dropped (but
// counted, so the operator can see why the board is not following) and reads
// give 0xFF, an undriven bus.
class VirtualBoard final : public PortLibrary {
public:
    static constexpr std::int32_t PortNumber = BoardPortNumber;
    static constexpr std::uint16_t BaseAddress = Lpt1Address;
    static constexpr std::uint16_t StatusAddress = BaseAddress + StatusRegisterOffset;
    static constexpr std::uint16_t ControlAddress = BaseAddress + ControlRegisterOffset;

    std::int32_t GetParallelPortCount() override;
    std::int32_t ClaimParallelPort(std::int32_t port, std::int32_t flags) override;
    std::int32_t GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) override;
    std::int32_t InByte(std::int32_t address) override;
    void OutByte(std::int32_t address, std::int32_t value) override;

    const Qv4130Chip& Chip() const { return chip_; }
    std::uint8_t DataRegister() const { return data_; }
    std::uint8_t ControlRegister() const { return control_; }

    // Writes that went to an address where no port answers, and the last such address.
    std::uint64_t StrayWrites() const { return strayWrites_; }
    std::int32_t LastStrayAddress() const { return lastStrayAddress_; }

    // The writes the data register has seen, with their times: since the start,
    // or the last million of them.
    const WriteHistory& DataWrites() const { return dataWrites_; }

    // The observer must stay alive until it is removed, and must not add or
    // remove observers from inside BoardChanged.
    void AddObserver(VirtualBoardObserver& observer);
    void RemoveObserver(VirtualBoardObserver& observer);

private:
    void Notify();

    Qv4130Chip chip_;
    std::uint8_t data_ = 0;
    std::uint8_t control_ = 0;
    bool claimed_ = false;
    std::uint64_t strayWrites_ = 0;
    std::int32_t lastStrayAddress_ = 0;
    std::vector<VirtualBoardObserver*> observers_;
    WriteHistory dataWrites_;
};

} // namespace qv4130
