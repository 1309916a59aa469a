#include "DriverPortIo.h"

#include "WindowsPortList.h"

namespace parllio {

bool DriverPortIo::Load(const IoDriverNames& names, Complaints& complaints) {
    if (module_) {
        if (names != names_) {
            complaints.Tell("the port-I/O driver stays " + names_.library +
                            " until the program starts again");
        }
        return true;
    }
    if (names.library.empty() || names.write.empty() || names.read.empty()) {
        complaints.Tell("a printer port is bound to raw I/O, but parllio.conf does not name the "
                        "port-I/O driver: install one and add its lines \"io-driver = DLL\", "
                        "\"io-write = FUNCTION\" and \"io-read = FUNCTION\" (its documentation "
                        "names the DLL and its functions that write and read a byte at an I/O "
                        "address)");
        return false;
    }
    LoadedModule loaded = LoadModule(folder_, names.library);
    if (!loaded.module) {
        complaints.Tell("cannot load the port-I/O driver " + names.library + ": " + loaded.failure +
                        " (install the driver, or give the DLL's whole path in io-driver)");
        return false;
    }
    const auto write = Function<WriteByte>(loaded.module.get(), names.write.c_str());
    const auto read = Function<ReadByte>(loaded.module.get(), names.read.c_str());
    if (write == nullptr || read == nullptr) {
        complaints.Tell("the port-I/O driver " + names.library + " has no function " +
                        (write == nullptr ? names.write : names.read) +
                        " (see io-write and io-read in parllio.conf)");
        return false;
    }
    names_ = names;
    module_ = std::move(loaded.module);
    write_ = write;
    read_ = read;
    return true;
}

std::optional<std::int32_t> DriverPortIo::FindPort(const std::string& name,
                                                   Complaints& complaints) {
    std::string why;
    const std::optional<std::int32_t> base = WindowsPortBase(name, why);
    if (!base) {
        complaints.Tell("cannot use the printer port " + name + ": " + why);
    }
    return base;
}

void DriverPortIo::Out(std::uint16_t address, std::uint8_t value) {
    write_(static_cast<short>(address), static_cast<short>(value));
}

std::uint8_t DriverPortIo::In(std::uint16_t address) {
    return static_cast<std::uint8_t>(read_(static_cast<short>(address)) & 0xFF);
}

} // namespace parllio
