#pragma once

// FTDI adapters and a kernel in memory, for the library's USB ports and its
// configuration files.
#include "Ftdi.h"
#include "Kernel.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <linux/ioctl.h>
#include <linux/ppdev.h>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace parllio::fakes {

using Bytes = std::vector<std::uint8_t>;

// Adapters on a simulated bus: the set-up calls in order ("open", "bitmode 255 1",
// "baud 10000", "close") and the bytes of each transfer.
struct FakeFtdi final : Ftdi {
    std::vector<FtdiDevice> plugged{{0x0403, 0x6014, 1, 5, "FT4ABC12", true}};
    int openResult = 0, bitModeResult = 0;
    std::vector<std::string> calls;
    std::vector<Bytes> transfers;
    std::mutex lock; // the flush thread writes

    // Every byte received, in order.
    Bytes Received() {
        const std::lock_guard guard(lock);
        Bytes all;
        for (const Bytes& transfer : transfers) {
            all.insert(all.end(), transfer.begin(), transfer.end());
        }
        return all;
    }
    int List(std::uint16_t vendor, std::uint16_t product, std::vector<FtdiDevice>& found) override {
        std::ranges::copy_if(plugged, std::back_inserter(found), [&](const FtdiDevice& device) {
            return vendor + product == 0 || (device.vendor == vendor && device.product == product);
        });
        return static_cast<int>(found.size());
    }
    int Open(const FtdiDevice&) override {
        calls.push_back("open");
        return openResult < 0 ? openResult : 7;
    }
    int SetBitMode(int, std::uint8_t outputs, std::uint8_t mode) override {
        calls.push_back("bitmode " + std::to_string(outputs) + " " + std::to_string(mode));
        return bitModeResult;
    }
    int SetBaudRate(int, int rate) override {
        calls.push_back("baud " + std::to_string(rate));
        return 0;
    }
    int Write(int, const std::uint8_t* bytes, int count) override {
        const std::lock_guard guard(lock);
        transfers.emplace_back(bytes, bytes + count);
        return count;
    }
    void Close(int) override { calls.push_back("close"); }
    std::string ErrorText(int) override { return "usb bulk write failed"; }
};

// Configuration files by path, printer ports by device node (a write to the data
// register logged as "/dev/parport1 20"), and what is told.
struct FileKernel final : Kernel {
    std::map<std::string, std::string> files;
    std::vector<std::string> parports; // the names under /proc/sys/dev/parport
    std::set<std::string> nodes{"/dev/parport1"};
    std::vector<std::string> writes, told;

    int Open(const std::string& path) override {
        return nodes.contains(path) ? 100 + (path.back() - '0') : -ENOENT;
    }
    void Close(int) override {}
    int Ioctl(int fd, unsigned long request, void* argument) override {
        if (request == PPWDATA) {
            writes.push_back("/dev/parport" + std::to_string(fd - 100) + " " +
                             std::to_string(*static_cast<unsigned char*>(argument)));
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
    void Tell(const std::string& line) override { told.push_back(line); }
};

} // namespace parllio::fakes
