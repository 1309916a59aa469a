#pragma once

// FTDI adapters and a kernel in memory, for the library's printer ports, USB
// ports and configuration files.
#include "Ftdi.h"
#include "Kernel.h"
#include "SystemKernel.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <linux/ioctl.h>
#include <linux/ppdev.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace parllio::fakes {

using Bytes = std::vector<std::uint8_t>;
using Calls = std::vector<std::string>;

// Adapters on a simulated bus: how many were opened and closed, and the bytes
// of each transfer.
struct FakeFtdi final : Ftdi {
    std::vector<FtdiDevice> plugged{{0x0403, 0x6014, 1, 5, "FT4ABC12", true}};
    int openResult = 0, bitModeResult = 0, opened = 0, closed = 0;
    std::vector<Bytes> transfers; // the tests tick the flush thread's looks by hand
    int List(std::uint16_t vendor, std::uint16_t product, std::vector<FtdiDevice>& found) override {
        std::ranges::copy_if(plugged, std::back_inserter(found), [&](const FtdiDevice& device) {
            return vendor + product == 0 || (device.vendor == vendor && device.product == product);
        });
        return static_cast<int>(found.size());
    }
    int Open(const FtdiDevice&) override { return openResult < 0 ? openResult : (++opened, 7); }
    int SetBitMode(int, std::uint8_t, std::uint8_t) override { return bitModeResult; }
    int SetBaudRate(int, int) override { return 0; }
    int Write(int, const std::uint8_t* bytes, int count) override {
        transfers.emplace_back(bytes, bytes + count);
        return count;
    }
    void Close(int) override { ++closed; }
    std::string ErrorText(int) override { return "usb bulk write failed"; }
};

struct FakePort {
    std::string baseAddr = "888\t1912\n", holder = "none\n"; // procfs: base-addr, devices/active
    int openError = 0, readError = 0;
    bool printerDriver = false; // has the port registered: no exclusive claim is granted
    bool busy = false;          // held elsewhere: a claim sleeps until its patience runs out
    std::map<unsigned long, int> errors; // ioctl request to errno
    // What the reads give: ppdev shows only the four control output lines, here as
    // the kernel reports them whatever was written.
    std::map<unsigned long, unsigned char> reads{
        {PPRDATA, 0x3C}, {PPRSTATUS, 0x78}, {PPRCONTROL, 0x0C}};
};

// ppdev ports and configuration files in memory. Device calls are logged as text
// ("open /dev/parport0 = 3", "PPWDATA 3 14") so a test compares whole sequences.
struct FakeKernel final : Kernel {
    std::map<int, FakePort> ports;
    std::map<int, int> open; // fd to port index
    Calls calls, told;
    int nextFd = 3;
    std::map<std::string, std::string> files; // configuration files by path
    bool realFiles = false;                   // other files are read from the real system

    Calls Take() { return std::exchange(calls, {}); }
    void Log(const std::string& what, int fd, const char* value = "") {
        calls.push_back(what + " " + std::to_string(fd) + value);
    }
    // The port of ".../parportN..." (the tests use ports 0 to 9), or none.
    FakePort* PortOf(const std::string& path) {
        const std::size_t at = path.rfind("parport");
        const auto port = at == std::string::npos ? ports.end() : ports.find(path[at + 7] - '0');
        return port == ports.end() ? nullptr : &port->second;
    }

    int Open(const std::string& path) override {
        const FakePort* port = PortOf(path);
        const int fd = port == nullptr ? -ENOENT : port->openError ? -port->openError : nextFd++;
        calls.push_back("open " + path + " = " + std::to_string(fd));
        if (fd > 0) {
            open[fd] = path.back() - '0';
        }
        return fd;
    }
    void Close(int fd) override {
        Log("close", fd);
        open.erase(fd);
    }
    int Claim(int fd, std::chrono::milliseconds) override {
        const bool exclusive = std::ranges::count(calls, "PPEXCL " + std::to_string(fd)) > 0;
        Log("PPCLAIM", fd);
        const FakePort& port = ports.at(open.at(fd));
        return exclusive && port.printerDriver ? -ENXIO : port.busy ? -EINTR : 0;
    }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        static const std::map<unsigned long, std::string> names{
            {PPEXCL, "PPEXCL"},         {PPRELEASE, "PPRELEASE"}, {PPRDATA, "PPRDATA"},
            {PPWDATA, "PPWDATA"},       {PPRSTATUS, "PPRSTATUS"}, {PPRCONTROL, "PPRCONTROL"},
            {PPWCONTROL, "PPWCONTROL"}, {PPDATADIR, "PPDATADIR"}};
        auto* byte = static_cast<unsigned char*>(argument);
        char value[8] = "";
        if (request == PPWDATA || request == PPWCONTROL || request == PPDATADIR) {
            std::snprintf(value, sizeof value, " %02X",
                          request == PPDATADIR ? *static_cast<int*>(argument) : *byte);
        }
        Log(names.at(request), fd, value);
        FakePort& port = ports.at(open.at(fd));
        if (port.errors.contains(request)) {
            return -port.errors[request];
        }
        if (port.reads.contains(request)) {
            *byte = port.reads[request];
        }
        return 0;
    }
    FileText ReadFile(const std::string& path) override {
        if (const auto file = files.find(path); file != files.end()) {
            return {file->second, 0};
        }
        if (realFiles) {
            return SystemKernel().ReadFile(path);
        }
        const FakePort* port = PortOf(path);
        if (port == nullptr) {
            return {{}, ENOENT};
        }
        return {path.ends_with("base-addr") ? port->baseAddr : port->holder, port->readError};
    }
    std::vector<std::string> ListDirectory(const std::string&, int& error) override {
        error = ports.empty() ? ENOENT : 0; // no modules loaded, no list
        std::vector<std::string> names{"default"};
        for (const auto& entry : ports) {
            names.push_back("parport" + std::to_string(entry.first));
        }
        return names;
    }
    void Tell(const std::string& line) override { told.push_back(line); }
};

} // namespace parllio::fakes
