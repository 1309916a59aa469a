#pragma once

// FTDI adapters and a kernel in memory, for the library's USB ports and its
// configuration files.
#include "Ftdi.h"
#include "Kernel.h"

#include <cerrno>
#include <cstdio>
#include <linux/ioctl.h>
#include <linux/ppdev.h>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace parllio::fakes {

inline constexpr FtdiDevice FT232H{0x0403, 0x6014, 1, 5, "FT4ABC12", true};

// Adapters on a simulated bus. Set-up calls are logged as text ("open 001/005",
// "bitmode FF 01", "baud 10000", "close"); the bytes of each write are kept.
struct FakeFtdi final : Ftdi {
    std::vector<FtdiDevice> plugged{FT232H};
    int openResult = 0, bitModeResult = 0;
    bool unplugged = false;
    std::mutex lock; // the flush thread writes
    std::vector<std::string> calls;
    std::vector<std::vector<std::uint8_t>> transfers;
    int failedWrites = 0;

    std::vector<std::vector<std::uint8_t>> Transfers() {
        const std::lock_guard guard(lock);
        return transfers;
    }
    int List(std::uint16_t vendor, std::uint16_t product, std::vector<FtdiDevice>& found) override {
        for (const FtdiDevice& device : plugged) {
            if ((vendor == 0 && product == 0) ||
                (device.vendor == vendor && device.product == product)) {
                found.push_back(device);
            }
        }
        return static_cast<int>(found.size());
    }
    int Open(const FtdiDevice& device) override {
        calls.push_back(std::string("open ") + Hex("%03u/", device.bus) +
                        Hex("%03u", device.address));
        return openResult < 0 ? openResult : 7;
    }
    int SetBitMode(int, std::uint8_t outputs, std::uint8_t mode) override {
        calls.push_back("bitmode " + Hex("%02X ", outputs) + Hex("%02X", mode));
        return bitModeResult;
    }
    int SetBaudRate(int, int rate) override {
        calls.push_back("baud " + std::to_string(rate));
        return 0;
    }
    int Write(int, const std::uint8_t* bytes, int count) override {
        const std::lock_guard guard(lock);
        if (unplugged) {
            ++failedWrites;
            return -1;
        }
        transfers.emplace_back(bytes, bytes + count);
        return count;
    }
    void Close(int) override { calls.push_back("close"); }
    std::string ErrorText(int) override { return "usb bulk write failed"; }

    static std::string Hex(const char* format, unsigned value) {
        char text[8];
        std::snprintf(text, sizeof text, format, value);
        return text;
    }
};

// Configuration files by path, printer ports by device path (writes to their
// data register logged as "PPWDATA /dev/parport1 14"), and what is told.
struct FileKernel final : Kernel {
    std::map<std::string, std::string> files;
    std::vector<std::string> parports; // names under /proc/sys/dev/parport
    std::set<std::string> nodes{"/dev/parport1"};
    std::map<int, std::string> open;
    std::vector<std::string> calls, told;
    std::mutex lock; // the flush thread tells too

    int Open(const std::string& path) override {
        if (!nodes.contains(path)) {
            return -ENOENT;
        }
        const int fd = 3 + static_cast<int>(open.size());
        open[fd] = path;
        return fd;
    }
    void Close(int fd) override { open.erase(fd); }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        if (request == PPWDATA) {
            calls.push_back("PPWDATA " + open.at(fd) +
                            FakeFtdi::Hex(" %02X", *static_cast<unsigned char*>(argument)));
        }
        return 0;
    }
    int Claim(int, std::chrono::milliseconds) override { return 0; }
    FileText ReadFile(const std::string& path) override {
        const auto file = files.find(path);
        return file != files.end() ? FileText{file->second, 0} : FileText{{}, ENOENT};
    }
    std::vector<std::string> ListDirectory(const std::string&, int& error) override {
        error = parports.empty() ? ENOENT : 0;
        return parports;
    }
    void Tell(const std::string& line) override {
        const std::lock_guard guard(lock);
        told.push_back(line);
    }
    std::vector<std::string> Told() {
        const std::lock_guard guard(lock);
        return told;
    }
};

} // namespace parllio::fakes
