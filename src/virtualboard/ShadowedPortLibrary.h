#pragma once

#include "Qv4130Chip.h"
#include "board/PortLibrary.h"

#include <bitset>
#include <cstdint>
#include <map>

namespace qv4130 {

// A real board cannot be read back, yet SCPI clients ask for a channel's code
// and a characterisation puts the channel back where it was. So every byte
// written to a data register also goes to a model of the chip on that port (the
// one the virtual board runs): whatever window, client or run sent a word, the
// codes follow it, and a Mode 2 step is reckoned with the chip's own saturating
// arithmetic. A channel's code is known once a word wrote it or a reset cleared
// it; before that, and after a step on an unknown code, it is not.
class ShadowedPortLibrary final : public PortLibrary {
public:
    static constexpr int UnknownCode = -1;

    // `inner` must outlive this.
    explicit ShadowedPortLibrary(PortLibrary& inner) : inner_(inner) {}

    std::int32_t GetParallelPortCount() override { return inner_.GetParallelPortCount(); }
    std::int32_t ClaimParallelPort(std::int32_t port, std::int32_t flags) override {
        return inner_.ClaimParallelPort(port, flags);
    }
    std::int32_t GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) override {
        return inner_.GetParallelPortInfo(port, info);
    }
    std::int32_t InByte(std::int32_t address) override { return inner_.InByte(address); }
    void OutByte(std::int32_t address, std::int32_t value) override;
    std::int32_t ReleaseParallelPort(std::int32_t port) override {
        return inner_.ReleaseParallelPort(port);
    }
    std::optional<std::string> LastError() override { return inner_.LastError(); }

    // The code of `channel` on the board at data register `address`, or UnknownCode.
    int Code(std::uint16_t address, int channel) const;

private:
    // What this process knows of the chip on one port.
    struct Shadow {
        Qv4130Chip chip;
        std::bitset<ChannelCount> known;
        std::uint64_t wordsSeen = 0;
    };

    PortLibrary& inner_;
    std::map<std::uint16_t, Shadow> shadows_;
};

} // namespace qv4130
