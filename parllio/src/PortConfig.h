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

// A printer port whose registers the library reaches by raw I/O at `base` to
// base + 2, through the port-I/O driver the operator installs (Windows). With
// a `name` ("LPT3"), the base is the one Windows gave the port of that name.
struct RawPort {
    std::int32_t base = 0;
    std::string name;

    bool operator==(const RawPort&) const = default;
};

// A printer port through ppdev, by the kernel's number N of /dev/parportN, an
// adapter, or a printer port by raw I/O.
using Device = std::variant<int, FtdiSelector, RawPort>;

// The port-I/O driver the configuration names: its DLL and its functions that
// write a byte to an I/O address and read one.
struct IoDriverNames {
    std::string library;
    std::string write;
    std::string read;

    bool operator==(const IoDriverNames&) const = default;
};

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
//
// With `driver` (Windows, which has no /dev/parportN), a port may instead be
// "io" (the printer port at the port's own address), "io:0xD010" (at that
// base address) or "io:LPT3" (at the address Windows gave its LPT3), and the lines "io-driver =
// DLL", "io-write = FUNCTION" and "io-read = FUNCTION" name the port-I/O driver into `driver`.
std::vector<Binding> ReadConfig(Kernel& kernel, Complaints& complaints,
                                const std::vector<ConfigFile>& files,
                                IoDriverNames* driver = nullptr);

} // namespace parllio
