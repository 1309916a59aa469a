#pragma once

#include "qv4130/Result.h"

#include "board/PortLibrary.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qv4130::ctl {

// Stands in front of the port library and keeps account of whether what the
// commands send can reach the board: a port whose claim was refused drops every
// byte, and a port library that loses its port later (an adapter pulled out,
// a claim taken away) says so through its last error. A script must learn of
// either, or its `|| exit` never fires.
class BoardReach final : public PortLibrary {
public:
    explicit BoardReach(PortLibrary& library) : library_(library) {}

    std::int32_t GetParallelPortCount() override { return library_.GetParallelPortCount(); }
    std::int32_t ClaimParallelPort(std::int32_t port, std::int32_t flags) override;
    std::int32_t GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) override {
        return library_.GetParallelPortInfo(port, info);
    }
    std::int32_t InByte(std::int32_t address) override;
    void OutByte(std::int32_t address, std::int32_t value) override;
    std::int32_t ReleaseParallelPort(std::int32_t port) override;
    std::optional<std::string> LastError() override { return library_.LastError(); }

    // Whether the board's port was claimed (the last claim asked for succeeded).
    bool Claimed() const { return claimed_; }
    // Starts a new command's account of the ports it touches.
    void Checkpoint();
    // Whether the port calls since the checkpoint reached the board; why not, if they didn't.
    Result<> Reached();
    // Gives the claim back, and with it the library sends whatever it still
    // held: fails saying why that did not reach the board, if anything was ever
    // sent and it didn't (an adapter pulled out during the last command).
    Result<> Release(std::int32_t port);

private:
    PortLibrary& library_;
    bool claimed_ = false;
    bool touched_ = false;
    bool touchedEver_ = false;
    std::optional<std::string> accountedError_; // told already, or start-up's
};

} // namespace qv4130::ctl
