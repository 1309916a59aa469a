#pragma once

#include "Complaints.h"
#include "Ftdi.h"
#include "IdleFlusher.h"
#include "Kernel.h"
#include "Port.h"
#include "PortConfig.h"
#include "PortIo.h"

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace parllio {

// Which device stands behind each port when it is not simply the kernel's
// printer ports: what the configuration files bind, or, with no binding and no
// printer port, the one FTDI adapter plugged in. It also opens those devices.
class PortBindings {
public:
    // With `io`, the configuration may bind printer ports reached by raw I/O
    // through the port-I/O driver it names (Windows).
    PortBindings(Kernel& kernel, Ftdi& ftdi, std::vector<ConfigFile> files,
                 std::chrono::microseconds idleTick = IdleTick, PortIo* io = nullptr);

    // The ports the configuration files bind, in port order; none when they bind none.
    std::vector<Binding> Configured(Complaints& complaints);

    // The one FTDI adapter plugged in, as port 1 at 888. None when there is
    // none, or several (told: the configuration must then say which).
    std::vector<Binding> LoneAdapter(Complaints& complaints);
    // Set when the last LoneAdapter() found several adapters and so took none:
    // the configuration must say which.
    const std::optional<std::string>& AdapterTrouble() const { return adapterTrouble_; }

    // Opens and claims what `binding` names; tells why and gives nothing when it can't.
    std::unique_ptr<Port> Open(const Binding& binding, Complaints& complaints,
                               std::chrono::milliseconds patience);

    IdleFlusher& Flusher() { return flusher_; }

private:
    std::optional<FtdiDevice> Find(const FtdiSelector& selector, const std::string& port,
                                   Complaints& complaints);

    Kernel& kernel_;
    Ftdi& ftdi_;
    PortIo* io_;
    IoDriverNames driver_; // as the configuration last read names it
    std::vector<ConfigFile> files_;
    IdleFlusher flusher_;
    std::optional<std::string> adapterTrouble_;
};

} // namespace parllio
