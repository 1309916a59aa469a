#pragma once

#include "Kernel.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace parllio::testing {

// One port as the simulated kernel has it.
struct FakePort {
    std::string baseAddr = "888\t1912\n";     // the text of its base-addr file
    int openError = 0;                        // errno for opening /dev/parportN, e.g. EACCES
    bool otherDriverRegistered = false;       // the printer driver: no exclusive registration
    bool heldByOther = false;                 // a claim sleeps until it is given up
    std::string activeHolder = "none\n";      // devices/active
    std::map<unsigned long, int> ioctlErrors; // request to errno

    // The hardware as ppdev shows it.
    std::uint8_t data = 0;
    std::uint8_t status = 0x78;
    std::uint8_t controlLines = 0x0C; // ppdev keeps only bits 0 to 3
    bool dataLinesInput = false;
};

// A kernel with ppdev ports in memory. It logs every device call (not the
// procfs reads) as text, "open /dev/parport0 = 3", "PPWDATA 3 14", so a test
// compares whole sequences; it refuses register access without a claim, as ppdev does.
class FakeKernel final : public Kernel {
public:
    std::map<int, FakePort> ports;
    bool portListMissing = false;

    std::vector<std::string> calls;
    std::vector<std::string> told;
    std::set<int> openFds;
    std::vector<std::chrono::milliseconds> claimPatience;

    int Open(const std::string& path) override;
    void Close(int fd) override;
    int Ioctl(int fd, unsigned long request, void* argument) override;
    int Claim(int fd, std::chrono::milliseconds patience) override;
    FileText ReadFile(const std::string& path) override;
    std::vector<std::string> ListDirectory(const std::string& path, int& error) override;
    void Tell(const std::string& line) override { told.push_back(line); }

    // The calls so far, cleared.
    std::vector<std::string> TakeCalls();

private:
    struct OpenFile {
        int index;
        bool exclusive = false;
        bool claimed = false;
    };
    std::map<int, OpenFile> files_;
    int nextFd_ = 3;
};

} // namespace parllio::testing
