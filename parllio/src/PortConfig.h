#pragma once

#include "Complaints.h"
#include "Kernel.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace parllio {

// An FTDI adapter as the configuration names it. Zero ids stand for any of
// FTDI's own chips; an empty serial for any serial.
struct FtdiSelector {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::string serial;

    bool operator==(const FtdiSelector&) const = default;
};

// A printer port through ppdev, by the kernel's number N of /dev/parportN, or an adapter.
using Device = std::variant<int, FtdiSelector>;

// One port the library offers: the address of its data register and what is behind it.
struct Binding {
    std::int32_t address;
    Device device;

    bool operator==(const Binding&) const = default;
};

struct ConfigFile {
    std::string path;
    bool mustExist; // named by the operator, so its absence is told
};

// "LPT1", "LPT2" or "PRN" for the addresses the program knows; others in decimal.
std::string PortNameAt(std::int32_t address);

// As the configuration file writes it: "ftdi", "ftdi:0403:6014" or "ftdi:serial=FT4ABC12".
std::string SelectorText(const FtdiSelector& selector);

// /etc/parllio.conf, then ~/.config/parllio.conf (`home` may be null), then the
// file PARLLIO_CONFIG names (`named`, may be null).
std::vector<ConfigFile> ConfigFiles(const char* home, const char* named);

// Reads the files in order; a later file's binding of a port replaces an
// earlier one. Lines are "LPT1 = ftdi:0403:6014", "LPT2 = /dev/parport1",
// "PRN = ftdi:serial=FT4ABC12" or "888 = ftdi"; "#" starts a comment. A line that
// can't be used is told, naming the file and the line, and ignored. Gives the
// ports bound in the order LPT1, LPT2, PRN.
std::vector<Binding> ReadConfig(Kernel& kernel, Complaints& complaints,
                                const std::vector<ConfigFile>& files);

} // namespace parllio
