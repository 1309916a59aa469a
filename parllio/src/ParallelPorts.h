#pragma once

#include "ClaimedPort.h"
#include "Complaints.h"
#include "Kernel.h"

#include <parllio/parllio.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace parllio {

// How long a claim waits for another driver or program to let the port go.
inline constexpr std::chrono::milliseconds DefaultClaimPatience{2000};

// The library's whole behaviour over a kernel: the ports the kernel has, the
// ones claimed, and the I/O addresses a program for raw port access uses,
// turned into ppdev calls on the port whose registers sit there.
class ParallelPorts {
public:
    explicit ParallelPorts(Kernel& kernel,
                           std::chrono::milliseconds claimPatience = DefaultClaimPatience);
    ~ParallelPorts();
    ParallelPorts(const ParallelPorts&) = delete;
    ParallelPorts& operator=(const ParallelPorts&) = delete;

    std::int32_t Count();
    std::int32_t Claim(std::int32_t port);
    std::int32_t Release(std::int32_t port);
    std::int32_t Info(std::int32_t port, ParallelPortInfo* info);
    std::int32_t In(std::int32_t address);
    void Out(std::int32_t address, std::int32_t value);

private:
    struct KnownPort {
        int index;
        std::int32_t base;
    };
    enum class Register { Data = 0, Status = 1, Control = 2 };
    struct Location {
        int index;
        Register reg;
    };

    const std::vector<KnownPort>& Known();
    std::vector<KnownPort> Scan();
    std::optional<std::int32_t> BaseOf(int index);
    std::optional<Location> Locate(std::int32_t address);
    // The claimed port and register behind `address`, or nothing (told why).
    std::optional<std::pair<ClaimedPort*, Register>> Route(std::int32_t address);
    ClaimedPort* ClaimedAt(int index);
    std::optional<int> IndexOf(std::int32_t port);
    void TellNoPortAt(std::uint16_t address);

    Kernel& kernel_;
    Complaints complaints_;
    std::chrono::milliseconds claimPatience_;
    std::optional<std::vector<KnownPort>> known_;
    // Ports whose claim failed: their I/O is dropped rather than tried again
    // (and waited for again) at every byte.
    std::set<int> refused_;
    std::map<int, std::unique_ptr<ClaimedPort>> claimed_;
    // The last address routed: a word is 55 writes to one address. Forgotten
    // whenever a claim goes or the port list is read again.
    struct LastRoute {
        std::int32_t address;
        ClaimedPort* port;
        Register reg;
    };
    std::optional<LastRoute> lastRoute_;
};

} // namespace parllio
