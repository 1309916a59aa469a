#include "VirtualBoard.h"

#include <algorithm>

namespace qv4130 {

std::int32_t VirtualBoard::GetParallelPortCount() {
    return 1;
}

std::int32_t VirtualBoard::ClaimParallelPort(std::int32_t port, std::int32_t /*flags*/) {
    if (port != PortNumber) {
        return 0;
    }
    if (!claimed_) {
        claimed_ = true;
        Notify();
    }
    return 1;
}

std::int32_t VirtualBoard::GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) {
    if (port != PortNumber || info == nullptr) {
        return 0;
    }
    info->base_address = BaseAddress;
    return 1;
}

std::int32_t VirtualBoard::InByte(std::int32_t address) {
    switch (address) {
    case BaseAddress:
        return data_;
    case StatusAddress:
        return IdleStatus;
    case ControlAddress:
        return control_;
    default:
        return UndrivenBus;
    }
}

void VirtualBoard::OutByte(std::int32_t address, std::int32_t value) {
    // Only the low 8 bits reach the port, whatever sign the caller widened.
    const auto byte = static_cast<std::uint8_t>(value & 0xFF);
    bool changed = false;
    switch (address) {
    case BaseAddress:
        dataWrites_.Add(byte);
        changed = byte != data_;
        data_ = byte;
        changed = chip_.ApplyLines(byte) || changed;
        break;
    case StatusAddress:
        // Read-only on a real port: the write goes nowhere.
        break;
    case ControlAddress:
        changed = byte != control_;
        control_ = byte;
        break;
    default:
        ++strayWrites_;
        lastStrayAddress_ = address;
        changed = true;
        break;
    }
    if (changed) {
        Notify();
    }
}

void VirtualBoard::AddObserver(VirtualBoardObserver& observer) {
    if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end()) {
        observers_.push_back(&observer);
    }
}

void VirtualBoard::RemoveObserver(VirtualBoardObserver& observer) {
    std::erase(observers_, &observer);
}

void VirtualBoard::Notify() {
    // By index and without a copy: this runs on every port write.
    for (std::size_t i = 0; i < observers_.size(); ++i) {
        observers_[i]->BoardChanged();
    }
}

} // namespace qv4130
