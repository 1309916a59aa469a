#pragma once

#include "Complaints.h"
#include "Kernel.h"
#include "Port.h"
#include "PortConfig.h"

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

class PortBindings;

// How long a claim waits for another driver or program to let the port go.
inline constexpr std::chrono::milliseconds DefaultClaimPatience{2000};

// The library's whole behaviour over a kernel: the ports the kernel has, the
// ones claimed, and the I/O addresses a program for raw port access uses,
// turned into ppdev calls on the port whose registers sit there.
class ParallelPorts {
public:
    explicit ParallelPorts(Kernel& kernel,
                           std::chrono::milliseconds claimPatience = DefaultClaimPatience);
    // With `bindings`, ports may also be USB adapters, and the configuration
    // files may bind the program's addresses to any device.
    ParallelPorts(Kernel& kernel, PortBindings& bindings,
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
    // Why the last call failed, as told on standard error; empty when none did.
    std::string LastError() { return complaints_.Last(); }

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
    std::vector<KnownPort> ScanKernel(int& error);
    // Whether the ports are bindings rather than the kernel's own.
    bool Bound();
    std::unique_ptr<Port> Open(int index);
    // The binding behind port index + 1, or nothing (told) when fewer are bound.
    const Binding* BindingAt(int index);
    std::optional<std::int32_t> BaseOf(int index);
    std::optional<Location> Locate(std::int32_t address);
    // The claimed port and register behind `address`, or nothing (told why).
    std::optional<std::pair<Port*, Register>> Route(std::int32_t address);
    Port* ClaimedAt(int index);
    std::optional<int> IndexOf(std::int32_t port);
    void TellNoPortAt(std::uint16_t address);

    Kernel& kernel_;
    Complaints complaints_;
    std::chrono::milliseconds claimPatience_;
    PortBindings* bindings_ = nullptr;
    std::vector<Binding> bound_; // port N is bound_[N - 1]; empty: the kernel's ports
    std::optional<std::vector<KnownPort>> known_;
    // Ports whose claim failed: their I/O is dropped rather than tried again
    // (and waited for again) at every byte.
    std::set<int> refused_;
    std::map<int, std::unique_ptr<Port>> claimed_;
    // The last address routed: a word is 55 writes to one address. Forgotten
    // whenever a claim goes or the port list is read again.
    struct LastRoute {
        std::int32_t address;
        Port* port;
        Register reg;
    };
    std::optional<LastRoute> lastRoute_;
};

} // namespace parllio
