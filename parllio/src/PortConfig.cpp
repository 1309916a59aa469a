#include "PortConfig.h"

#include "qv4130/BoardVocabulary.h"
#include "qv4130/PlainText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

namespace parllio {
namespace {

// In port order: the program takes port 1 as its own.
using qv4130::NamedPorts;

using qv4130::text::EqualsIgnoringCase;
using qv4130::text::ParseWhole;
using qv4130::text::Trimmed;

// "LPT1", "lpt1", "888" or "0x378": the port's place in NamedPorts.
std::optional<std::size_t> PortSlot(std::string_view name) {
    std::optional<std::int32_t> address;
    if (name.starts_with("0x") || name.starts_with("0X")) {
        address = ParseWhole<std::int32_t>(name.substr(2), 16);
    } else {
        address = ParseWhole<std::int32_t>(name, 10);
    }
    for (std::size_t slot = 0; slot < NamedPorts.size(); ++slot) {
        if (EqualsIgnoringCase(name, NamedPorts[slot].name) ||
            address == NamedPorts[slot].address) {
            return slot;
        }
    }
    return std::nullopt;
}

// "io", "io:0xD010" or "io:LPT3": a printer port by raw I/O at its base
// address, which leaves room for its three registers, or by the name Windows
// gives it; 0 and no name for the port's own address.
std::optional<Device> ParseRawPort(std::string_view text) {
    if (text == "io") {
        return Device{RawPort{}};
    }
    constexpr std::string_view io = "io:";
    if (!text.starts_with(io)) {
        return std::nullopt;
    }
    text.remove_prefix(io.size());
    if (text.size() > 3 && text.size() <= 5 && EqualsIgnoringCase(text.substr(0, 3), "LPT") &&
        ParseWhole<int>(text.substr(3), 10)) {
        return Device{RawPort{0, "LPT" + std::string(text.substr(3))}};
    }
    const std::optional<std::int32_t> base = text.starts_with("0x") || text.starts_with("0X")
                                                 ? ParseWhole<std::int32_t>(text.substr(2), 16)
                                                 : ParseWhole<std::int32_t>(text, 10);
    if (!base || *base < 1 || *base > 0xFFFF - 2) {
        return std::nullopt;
    }
    return Device{RawPort{*base, ""}};
}

// "ftdi", "ftdi:0403:6014", "ftdi:serial=FT4ABC12" or "/dev/parport1"; on
// Windows "io" and "io:ADDRESS" instead of the last.
std::optional<Device> ParseDevice(std::string_view text, bool windows) {
    constexpr std::string_view parport = "/dev/parport";
    if (windows && text.starts_with("io")) {
        return ParseRawPort(text);
    }
    if (!windows && text.starts_with(parport) && text.size() <= parport.size() + 3) {
        if (const auto index = ParseWhole<int>(text.substr(parport.size()), 10)) {
            return Device{*index};
        }
        return std::nullopt;
    }
    if (text == "ftdi") {
        return Device{FtdiSelector{}};
    }
    constexpr std::string_view ftdi = "ftdi:", serial = "serial=";
    if (!text.starts_with(ftdi)) {
        return std::nullopt;
    }
    text.remove_prefix(ftdi.size());
    if (text.starts_with(serial) && text.size() > serial.size()) {
        return Device{FtdiSelector{0, 0, std::string(text.substr(serial.size()))}};
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon > 4 || text.size() - colon - 1 > 4) {
        return std::nullopt;
    }
    const auto vendor = ParseWhole<std::uint16_t>(text.substr(0, colon), 16);
    const auto product = ParseWhole<std::uint16_t>(text.substr(colon + 1), 16);
    if (!vendor || !product) {
        return std::nullopt;
    }
    return Device{FtdiSelector{*vendor, *product, ""}};
}

// The file's text between quotes, as a terminal can show it: a control byte
// (an escape sequence, a NUL) as \xNN, never raw.
std::string Quoted(std::string_view text) {
    return '"' + qv4130::text::Printable(text, '"') + '"';
}

// Messages about one file's lines before the rest are only counted: a file
// full of mistakes must not flood the terminal.
constexpr int MessagesPerFile = 5;

std::string DeviceText(const Device& device) {
    if (const int* index = std::get_if<int>(&device)) {
        return "/dev/parport" + std::to_string(*index);
    }
    if (const RawPort* port = std::get_if<RawPort>(&device)) {
        return "io:" + (port->name.empty() ? std::to_string(port->base) : port->name);
    }
    return SelectorText(std::get<FtdiSelector>(device));
}

// A line naming the port-I/O driver: the field it sets, or null.
std::string* DriverField(std::string_view name, IoDriverNames& driver) {
    if (EqualsIgnoringCase(name, "io-driver")) {
        return &driver.library;
    }
    if (EqualsIgnoringCase(name, "io-write")) {
        return &driver.write;
    }
    if (EqualsIgnoringCase(name, "io-read")) {
        return &driver.read;
    }
    return nullptr;
}

using Slots = std::array<std::optional<Device>, NamedPorts.size()>;

// "LPT1 (888), LPT2 (632) and PRN (956)".
std::string NamedPortsText() {
    std::string text;
    for (std::size_t slot = 0; slot < NamedPorts.size(); ++slot) {
        if (slot > 0) {
            text += slot + 1 == NamedPorts.size() ? " and " : ", ";
        }
        text += std::string(NamedPorts[slot].name) + " (" +
                std::to_string(NamedPorts[slot].address) + ")";
    }
    return text;
}

// Why the line can't be used, or nothing when it binds a port (or says nothing).
// `lines` keeps the line number of each port's binding in this file.
std::optional<std::string> ReadLine(std::string_view line, int number, Slots& slots,
                                    std::array<int, NamedPorts.size()>& lines,
                                    IoDriverNames* driver) {
    line = Trimmed(line.substr(0, line.find('#')));
    if (line.empty()) {
        return std::nullopt;
    }
    const std::size_t equals = line.find('=');
    const std::string_view name = Trimmed(line.substr(0, equals));
    const std::string_view device =
        equals == std::string_view::npos ? "" : Trimmed(line.substr(equals + 1));
    if (name.empty() || device.empty()) {
        return Quoted(line) + " is not a binding such as \"LPT1 = ftdi:0403:6014\"; line ignored";
    }
    if (driver != nullptr) {
        if (std::string* field = DriverField(name, *driver)) {
            *field = std::string(device);
            return std::nullopt;
        }
    }
    const std::optional<std::size_t> slot = PortSlot(name);
    if (!slot) {
        return "no port " + Quoted(name) + ": the program's ports are " + NamedPortsText() +
               "; line ignored";
    }
    std::optional<Device> bound = ParseDevice(device, driver != nullptr);
    if (!bound) {
        return "unknown device " + Quoted(device) +
               ": name ftdi, ftdi:VVVV:PPPP, ftdi:serial=SERIAL" +
               (driver != nullptr ? ", io, io:ADDRESS or io:LPTn" : " or /dev/parportN") +
               "; line ignored";
    }
    if (RawPort* port = std::get_if<RawPort>(&*bound);
        port != nullptr && port->base == 0 && port->name.empty()) {
        port->base = NamedPorts[*slot].address;
    }
    slots[*slot] = *bound;
    const int earlier = std::exchange(lines[*slot], number);
    if (earlier != 0) {
        return std::string(NamedPorts[*slot].name) + " is bound again (line " +
               std::to_string(earlier) + " bound it too); this line counts";
    }
    return std::nullopt;
}

// One file's bindings into `slots`, its mistakes told.
void ReadFileLines(const ConfigFile& file, const FileText& read, Slots& slots,
                   Complaints& complaints, IoDriverNames* driver) {
    std::string_view text = read.text;
    if (read.cut) {
        // The last line is likely cut short: leave it out.
        text = text.substr(0, text.rfind('\n') + 1);
        complaints.Tell(file.path + ": longer than " + std::to_string(MaxFileBytes / 1024) +
                        " KiB; only the lines in its first " + std::to_string(MaxFileBytes / 1024) +
                        " KiB are read");
    }
    std::array<int, NamedPorts.size()> lines{};
    int told = 0;
    int untold = 0;
    for (int number = 1; !text.empty(); ++number) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        if (const auto why = ReadLine(text.substr(0, end), number, slots, lines, driver)) {
            if (told < MessagesPerFile) {
                ++told;
                complaints.Tell(file.path + ":" + std::to_string(number) + ": " + *why);
            } else {
                ++untold;
            }
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    if (untold > 0) {
        complaints.Tell(file.path + ": " + std::to_string(untold) +
                        " more lines with mistakes, not told one by one");
    }
}

// Two ports on one device would write each other's bytes.
void TellSharedDevices(const Slots& slots, Complaints& complaints) {
    for (std::size_t a = 0; a < slots.size(); ++a) {
        for (std::size_t b = a + 1; b < slots.size(); ++b) {
            if (slots[a] && slots[b] && *slots[a] == *slots[b]) {
                complaints.Tell(DeviceText(*slots[a]) + " is bound to both " +
                                std::string(NamedPorts[a].name) + " and " +
                                std::string(NamedPorts[b].name));
            }
        }
    }
}

} // namespace

std::string PortNameAt(std::int32_t address) {
    for (const qv4130::NamedPort& port : NamedPorts) {
        if (port.address == address) {
            return std::string(port.name);
        }
    }
    return std::to_string(address);
}

std::string SelectorText(const FtdiSelector& selector) {
    if (!selector.serial.empty()) {
        return "ftdi:serial=" + selector.serial;
    }
    if (selector.vendor == 0 && selector.product == 0) {
        return "ftdi";
    }
    char ids[16];
    std::snprintf(ids, sizeof ids, "ftdi:%04x:%04x", static_cast<unsigned>(selector.vendor),
                  static_cast<unsigned>(selector.product));
    return ids;
}

std::vector<ConfigFile> ConfigFiles(const char* home, const char* named) {
    std::vector<ConfigFile> files{{"/etc/parllio.conf", false}};
    if (home != nullptr && *home != '\0') {
        files.push_back({std::string(home) + "/.config/parllio.conf", false});
    }
    if (named != nullptr && *named != '\0') {
        files.push_back({named, true});
    }
    return files;
}

std::vector<Binding> ReadConfig(Kernel& kernel, Complaints& complaints,
                                const std::vector<ConfigFile>& files, IoDriverNames* driver) {
    Slots slots;
    for (const ConfigFile& file : files) {
        const FileText read = kernel.ReadFile(file.path);
        if (read.irregular) {
            complaints.Tell("cannot read " + file.path + ": not a regular file");
        } else if (read.error != 0) {
            if (read.error != ENOENT || file.mustExist) {
                complaints.Tell("cannot read " + file.path + ": " + ErrorText(read.error));
            }
        } else {
            ReadFileLines(file, read, slots, complaints, driver);
        }
    }
    TellSharedDevices(slots, complaints);
    std::vector<Binding> bindings;
    for (std::size_t slot = 0; slot < slots.size(); ++slot) {
        if (slots[slot]) {
            bindings.push_back({NamedPorts[slot].address, *slots[slot]});
        }
    }
    return bindings;
}

} // namespace parllio
