#include "ParallelPorts.h"

#include "BaseAddr.h"
#include "HostPorts.h"
#include "Paths.h"
#include "PortBindings.h"
#include "qv4130/BoardVocabulary.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

namespace parllio {
namespace {

constexpr std::int32_t InfoSize = sizeof(ParallelPortInfo);

std::string Hex(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(address));
    return text;
}

// "parport3" gives 3; other names in the directory ("default") give nothing.
std::optional<int> PortIndexFromName(const std::string& name) {
    constexpr std::string_view prefix = "parport";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.size() > prefix.size() + 4) {
        return std::nullopt;
    }
    int index = 0;
    for (std::size_t at = prefix.size(); at < name.size(); ++at) {
        if (name[at] < '0' || name[at] > '9') {
            return std::nullopt;
        }
        index = index * 10 + (name[at] - '0');
    }
    return index;
}

// Callers pass 16-bit addresses, sign-extended by some: 0xD010 may arrive as -12272.
std::optional<std::uint16_t> IoAddress(std::int32_t address) {
    if (address < -0x8000 || address > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(address & 0xFFFF);
}

} // namespace

ParallelPorts::ParallelPorts(Kernel& kernel, std::chrono::milliseconds claimPatience)
    : kernel_(kernel), complaints_(kernel), claimPatience_(claimPatience) {}

ParallelPorts::ParallelPorts(Kernel& kernel, PortBindings& bindings,
                             std::chrono::milliseconds claimPatience)
    : ParallelPorts(kernel, claimPatience) {
    bindings_ = &bindings;
}

ParallelPorts::~ParallelPorts() {
    // Given back in port order, lowest first.
    while (!claimed_.empty()) {
        claimed_.erase(claimed_.begin());
    }
}

std::vector<ParallelPorts::KnownPort> ParallelPorts::Scan() {
    bound_ = bindings_ != nullptr ? bindings_->Configured(complaints_) : std::vector<Binding>{};
    int error = 0;
    std::vector<KnownPort> ports = bound_.empty() ? ScanKernel(error) : std::vector<KnownPort>{};
    if (ports.empty() && bound_.empty() && bindings_ != nullptr) {
        bound_ = bindings_->LoneAdapter(complaints_);
    }
    if (error != 0 && bound_.empty()) {
        complaints_.Tell(NoHostPorts(error, bindings_ != nullptr));
    }
    for (std::size_t index = 0; index < bound_.size(); ++index) {
        ports.push_back({static_cast<int>(index), bound_[index].address});
    }
    return ports;
}

bool ParallelPorts::Bound() {
    return bindings_ != nullptr && (Known(), !bound_.empty());
}

const Binding* ParallelPorts::BindingAt(int index) {
    if (static_cast<std::size_t>(index) < bound_.size()) {
        return &bound_[static_cast<std::size_t>(index)];
    }
    complaints_.Tell("there is no port " + std::to_string(index + 1) + ": only " +
                     std::to_string(bound_.size()) + " are bound");
    return nullptr;
}

std::unique_ptr<Port> ParallelPorts::Open(int index) {
    if (!Bound()) {
        std::unique_ptr<Port> port = ClaimHostPort(kernel_, complaints_, index, claimPatience_);
        if (!port && bindings_ != nullptr && bindings_->AdapterTrouble()) {
            // No printer port, but adapters that could not be taken: the way out
            // is there, so that is what the caller's last error says.
            complaints_.Tell(*bindings_->AdapterTrouble());
        }
        return port;
    }
    const Binding* binding = BindingAt(index);
    return binding != nullptr ? bindings_->Open(*binding, complaints_, claimPatience_) : nullptr;
}

std::vector<ParallelPorts::KnownPort> ParallelPorts::ScanKernel(int& error) {
    const std::vector<std::string> names = kernel_.ListDirectory(PortListDirectory, error);
    if (error != 0) {
        return {};
    }
    std::vector<KnownPort> ports;
    for (const std::string& name : names) {
        if (const std::optional<int> index = PortIndexFromName(name)) {
            // A port without a usable address still counts; it just has no registers to map.
            ports.push_back({*index, BaseOf(*index).value_or(0)});
        }
    }
    std::sort(ports.begin(), ports.end(),
              [](const KnownPort& a, const KnownPort& b) { return a.index < b.index; });
    return ports;
}

const std::vector<ParallelPorts::KnownPort>& ParallelPorts::Known() {
    if (!known_) {
        known_ = Scan();
    }
    return *known_;
}

std::optional<std::int32_t> ParallelPorts::BaseOf(int index) {
    const std::string path = BaseAddrPath(index);
    const FileText file = kernel_.ReadFile(path);
    if (file.error != 0) {
        complaints_.Tell("cannot read the I/O address of parport" + std::to_string(index) +
                         " from " + path + ": " + ErrorText(file.error));
        return std::nullopt;
    }
    const std::optional<std::int32_t> base = ParseBaseAddr(file.text);
    if (!base) {
        std::string shown = file.text.substr(0, 40);
        while (!shown.empty() && shown.back() == '\n') {
            shown.pop_back();
        }
        complaints_.Tell(path + " holds \"" + shown + "\", which is not an I/O address");
    }
    return base;
}

std::optional<int> ParallelPorts::IndexOf(std::int32_t port) {
    if (port < 1) {
        complaints_.Tell("there is no port " + std::to_string(port) +
                         ": ports are numbered from 1 (port 1 is " + FirstHostPort + ")");
        return std::nullopt;
    }
    return port - 1;
}

std::int32_t ParallelPorts::Count() {
    lastRoute_.reset();
    known_ = Scan(); // asked rarely, and the answer should be today's
    return static_cast<std::int32_t>(known_->size());
}

std::int32_t ParallelPorts::Claim(std::int32_t port) {
    const std::optional<int> index = IndexOf(port);
    if (!index) {
        return 0;
    }
    if (claimed_.contains(*index)) {
        return 1;
    }
    std::unique_ptr<Port> claimed = Open(*index);
    if (!claimed) {
        refused_.insert(*index);
        return 0;
    }
    refused_.erase(*index);
    claimed_.emplace(*index, std::move(claimed));
    return 1;
}

std::int32_t ParallelPorts::Release(std::int32_t port) {
    const std::optional<int> index = IndexOf(port);
    if (!index) {
        return 0;
    }
    refused_.erase(*index);
    lastRoute_.reset();
    return claimed_.erase(*index) > 0 ? 1 : 0;
}

std::int32_t ParallelPorts::Info(std::int32_t port, ParallelPortInfo* info) {
    if (info == nullptr || info->size < InfoSize) {
        complaints_.Tell("GetParallelPortInfo needs a record of at least " +
                         std::to_string(InfoSize) + " bytes with its size filled in");
        return 0;
    }
    const std::optional<int> index = IndexOf(port);
    if (!index) {
        return 0;
    }
    if (Bound()) {
        const Binding* binding = BindingAt(*index);
        if (binding == nullptr) {
            return 0;
        }
        info->base_address = binding->address;
        return 1;
    }
    const std::optional<std::int32_t> base = BaseOf(*index);
    if (!base) {
        return 0;
    }
    if (*base == 0) {
        complaints_.Tell("parport" + std::to_string(*index) +
                         " has no I/O address (a USB printer adapter?); the board needs a port "
                         "on the I/O bus: built in, PCI or PCIe");
        return 0;
    }
    info->base_address = *base;
    return 1;
}

std::optional<ParallelPorts::Location> ParallelPorts::Locate(std::int32_t address) {
    const std::optional<std::uint16_t> io = IoAddress(address);
    if (!io) {
        complaints_.Tell("I/O address " + std::to_string(address) +
                         " is outside the I/O space; writes there are dropped and reads give 0xFF");
        return std::nullopt;
    }
    // A data register match wins over a status or control one, should two
    // ports ever sit within two addresses of each other.
    for (const Register reg : {Register::Data, Register::Status, Register::Control}) {
        for (const KnownPort& port : Known()) {
            if (port.base != 0 && port.base + static_cast<std::int32_t>(reg) == *io) {
                return Location{port.index, reg};
            }
        }
    }
    TellNoPortAt(*io);
    return std::nullopt;
}

void ParallelPorts::TellNoPortAt(std::uint16_t address) {
    std::string ports;
    for (const KnownPort& port : Known()) {
        if (port.base != 0) {
            ports += (ports.empty() ? "" : ", ") + Hex(static_cast<std::uint32_t>(port.base));
        }
    }
    complaints_.Tell("no printer port at I/O address " + Hex(address) + " (" +
                     std::to_string(address) + "); writes there are dropped and reads give 0xFF (" +
                     (bound_.empty() ? "the kernel's ports: " : "the ports bound: ") +
                     (ports.empty() ? "none" : ports) + ")");
}

Port* ParallelPorts::ClaimedAt(int index) {
    if (const auto found = claimed_.find(index); found != claimed_.end()) {
        return found->second.get();
    }
    if (refused_.contains(index)) {
        complaints_.Tell("port " + std::to_string(index + 1) +
                         " was not claimed: its I/O is dropped until it is claimed");
        return nullptr;
    }
    // A port the caller picked by address without claiming it first.
    return Claim(index + 1) != 0 ? claimed_.at(index).get() : nullptr;
}

std::optional<std::pair<Port*, ParallelPorts::Register>>
ParallelPorts::Route(std::int32_t address) {
    if (lastRoute_ && lastRoute_->address == address) {
        return std::pair{lastRoute_->port, lastRoute_->reg};
    }
    const std::optional<Location> where = Locate(address);
    Port* port = where ? ClaimedAt(where->index) : nullptr;
    if (port == nullptr) {
        return std::nullopt;
    }
    lastRoute_ = LastRoute{address, port, where->reg};
    return std::pair{port, where->reg};
}

std::int32_t ParallelPorts::In(std::int32_t address) {
    const auto route = Route(address);
    if (!route) {
        return qv4130::UndrivenBus;
    }
    switch (route->second) {
    case Register::Data:
        return route->first->ReadData();
    case Register::Status:
        return route->first->ReadStatus();
    case Register::Control:
        return route->first->ReadControl();
    }
    return qv4130::UndrivenBus;
}

void ParallelPorts::Out(std::int32_t address, std::int32_t value) {
    const auto route = Route(address);
    if (!route) {
        return;
    }
    const auto byte = static_cast<std::uint8_t>(value & 0xFF);
    switch (route->second) {
    case Register::Data:
        route->first->WriteData(byte);
        break;
    case Register::Status:
        break; // a read-only register: the write goes nowhere, as on the hardware
    case Register::Control:
        route->first->WriteControl(byte);
        break;
    }
}

} // namespace parllio
