#include "PortBindings.h"

#include "FtdiPort.h"
#include "HostPorts.h"
#include "RawIoPort.h"
#include "qv4130/BoardVocabulary.h"

#include <utility>

namespace parllio {

PortBindings::PortBindings(Kernel& kernel, Ftdi& ftdi, std::vector<ConfigFile> files,
                           std::chrono::microseconds idleTick, PortIo* io)
    : kernel_(kernel), ftdi_(ftdi), io_(io), files_(std::move(files)), flusher_(idleTick) {}

std::vector<Binding> PortBindings::Configured(Complaints& complaints) {
    driver_ = {};
    return ReadConfig(kernel_, complaints, files_, io_ != nullptr ? &driver_ : nullptr);
}

std::vector<Binding> PortBindings::LoneAdapter(Complaints& complaints) {
    adapterTrouble_.reset();
    std::vector<FtdiDevice> found;
    if (ftdi_.List(0, 0, found) < 0) {
        complaints.Tell("cannot look for FTDI adapters on USB: " + ftdi_.ErrorText(Ftdi::NoHandle));
        return {};
    }
    if (found.size() > 1) {
        adapterTrouble_ = std::to_string(found.size()) +
                          " FTDI adapters are plugged in: say which is LPT1 in " + UserConfigFile +
                          " with a line such as \"LPT1 = ftdi:serial=" +
                          (found[0].serial.empty() ? "SERIAL" : found[0].serial) + "\"";
        complaints.Tell(*adapterTrouble_);
        return {};
    }
    if (found.empty()) {
        return {};
    }
    return {
        {qv4130::Lpt1Address, FtdiSelector{found[0].vendor, found[0].product, found[0].serial}}};
}

std::optional<FtdiDevice> PortBindings::Find(const FtdiSelector& selector, const std::string& port,
                                             Complaints& complaints) {
    const std::string wanted = SelectorText(selector) + " (" + port + ")";
    std::vector<FtdiDevice> found;
    if (ftdi_.List(selector.vendor, selector.product, found) < 0) {
        complaints.Tell("cannot look for " + wanted +
                        " on USB: " + ftdi_.ErrorText(Ftdi::NoHandle));
        return std::nullopt;
    }
    std::vector<FtdiDevice> matching;
    bool unreadable = false;
    for (const FtdiDevice& device : found) {
        if (selector.serial.empty() || device.serial == selector.serial) {
            matching.push_back(device);
        }
        unreadable = unreadable || !device.accessible;
    }
    if (matching.empty()) {
        complaints.Tell(unreadable
                            ? "no permission to read the serial numbers of the FTDI adapters "
                              "plugged in, so " +
                                  wanted + " cannot be found" + UdevAdvice
                            : "no adapter " + wanted + " is plugged in (" + UsbDeviceList +
                                  "; FTDI's are 0403:xxxx)");
        return std::nullopt;
    }
    if (matching.size() > 1) {
        complaints.Tell(std::to_string(matching.size()) + " adapters match " + wanted +
                        ": name one by its serial number, as in \"" + port +
                        " = ftdi:serial=" + matching[0].serial + "\"");
        return std::nullopt;
    }
    return matching[0];
}

std::unique_ptr<Port> PortBindings::Open(const Binding& binding, Complaints& complaints,
                                         std::chrono::milliseconds patience) {
    if (const int* index = std::get_if<int>(&binding.device)) {
        return ClaimHostPort(kernel_, complaints, *index, patience);
    }
    if (const RawPort* raw = std::get_if<RawPort>(&binding.device)) {
        // The configuration has such ports only when there is `io`.
        if (io_ == nullptr || !io_->Load(driver_, complaints)) {
            return nullptr;
        }
        const std::optional<std::int32_t> base =
            raw->name.empty() ? raw->base : io_->FindPort(raw->name, complaints);
        return base ? std::make_unique<RawIoPort>(*io_, static_cast<std::uint16_t>(*base))
                    : nullptr;
    }
    const auto device =
        Find(std::get<FtdiSelector>(binding.device), PortNameAt(binding.address), complaints);
    if (!device) {
        return nullptr;
    }
    return FtdiPort::Open(ftdi_, complaints, flusher_, *device);
}

} // namespace parllio
