#include "ParallelPorts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <linux/ioctl.h>
#include <linux/ppdev.h>
#include <utility>

namespace parllio {
namespace {

using namespace ::testing;
using Calls = std::vector<std::string>;
using namespace std::string_literals;

struct FakePort {
    std::string baseAddr = "888\t1912\n", holder = "none\n"; // procfs: base-addr, devices/active
    int openError = 0;
    bool printerDriver = false; // has the port registered: no exclusive claim is granted
    bool busy = false;          // held elsewhere: a claim sleeps until its patience runs out
    std::map<unsigned long, int> errors; // ioctl request to errno
    // What the reads give; ppdev shows only the four control output lines.
    std::map<unsigned long, unsigned char> reads{
        {PPRDATA, 0x3C}, {PPRSTATUS, 0x78}, {PPRCONTROL, 0x0C}};
};

// ppdev ports in memory. Device calls are logged as text ("open /dev/parport0 = 3",
// "PPWDATA 3 14") so a test compares whole sequences.
struct FakeKernel final : Kernel {
    std::map<int, FakePort> ports;
    bool noPortList = false;
    std::map<int, int> open; // fd to port index
    Calls calls, told;

    Calls Take() { return std::exchange(calls, {}); }

    int Open(const std::string& path) override {
        const auto port = ports.find(IndexIn(path));
        const int error = port == ports.end() ? ENOENT : port->second.openError;
        const int fd = error != 0 ? -error : nextFd++;
        calls.push_back("open " + path + " = " + std::to_string(fd));
        if (fd > 0) {
            open[fd] = port->first;
        }
        return fd;
    }
    void Close(int fd) override {
        calls.push_back("close " + std::to_string(fd));
        open.erase(fd);
    }
    int Claim(int fd, std::chrono::milliseconds) override {
        const bool exclusive = std::ranges::count(calls, "PPEXCL " + std::to_string(fd)) > 0;
        calls.push_back("PPCLAIM " + std::to_string(fd));
        const FakePort& port = ports.at(open.at(fd));
        return exclusive && port.printerDriver ? -ENXIO : port.busy ? -EINTR : 0;
    }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        static const std::map<unsigned long, std::string> names{
            {PPEXCL, "PPEXCL"},         {PPRELEASE, "PPRELEASE"}, {PPRDATA, "PPRDATA"},
            {PPWDATA, "PPWDATA"},       {PPRSTATUS, "PPRSTATUS"}, {PPRCONTROL, "PPRCONTROL"},
            {PPWCONTROL, "PPWCONTROL"}, {PPDATADIR, "PPDATADIR"}};
        auto* byte = static_cast<unsigned char*>(argument);
        std::string line = names.at(request) + " " + std::to_string(fd);
        if (request == PPWDATA || request == PPWCONTROL || request == PPDATADIR) {
            char hex[8];
            std::snprintf(hex, sizeof hex, " %02X",
                          request == PPDATADIR ? *static_cast<int*>(argument) : *byte);
            line += hex;
        }
        calls.push_back(line);
        FakePort& port = ports.at(open.at(fd));
        if (port.errors.contains(request)) {
            return -port.errors[request];
        }
        if (request == PPWCONTROL) {
            port.reads[PPRCONTROL] = *byte & 0x0F;
        } else if (port.reads.contains(request)) {
            *byte = port.reads[request];
        }
        return 0;
    }
    FileText ReadFile(const std::string& path) override {
        const auto port = ports.find(IndexIn(path));
        if (port == ports.end()) {
            return {{}, ENOENT};
        }
        return {path.ends_with("base-addr") ? port->second.baseAddr : port->second.holder, 0};
    }
    std::vector<std::string> ListDirectory(const std::string&, int& error) override {
        error = noPortList ? ENOENT : 0;
        std::vector<std::string> names{"default"};
        for (const auto& entry : ports) {
            names.push_back("parport" + std::to_string(entry.first));
        }
        return names;
    }
    void Tell(const std::string& line) override { told.push_back(line); }

    // The N of ".../parportN..."; the tests use ports 0 to 9.
    static int IndexIn(const std::string& path) { return path[path.rfind("parport") + 7] - '0'; }
    int nextFd = 3;
};

class ParallelPortsTest : public ::testing::Test {
protected:
    // Ports at the three PC addresses and one on a PCIe card, high in the I/O space.
    void FourPorts() {
        for (const char* base : {"888\t1912\n", "632\t1656\n", "956\t0\n", "53264\t53248\n"}) {
            kernel.ports[static_cast<int>(kernel.ports.size())].baseAddr = base;
        }
    }

    FakeKernel kernel;
    std::optional<ParallelPorts> ports{std::in_place, kernel};
};

TEST_F(ParallelPortsTest, AFailedClaimSaysWhatToDoOnceAndIsNotRetriedByEveryByte) {
    struct Case {
        void (*arrange)(FakePort&); // none: the kernel has no such port
        const char* told;
    };
    const Case cases[] = {
        {[](FakePort& p) { p.openError = EACCES; },
         "parllio: cannot open /dev/parport0: Permission denied (add the user to the 'lp' group"},
        {[](FakePort& p) { p.openError = ENOENT; },
         "No such file or directory (load the ppdev module: sudo modprobe ppdev)"},
        {nullptr,
         "cannot open /dev/parport0: No such file or directory (the kernel has no port parport0;"},
        {[](FakePort& p) { p.busy = true, p.holder = "lp\n"; },
         "parllio: cannot claim /dev/parport0: the port is busy, held by 'lp'"},
        {[](FakePort& p) { p.busy = p.printerDriver = true; },
         "the port is busy, held by another program or driver"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.told);
        FakeKernel local;
        if (c.arrange != nullptr) {
            c.arrange(local.ports[0]);
        }
        ParallelPorts ports(local);
        EXPECT_EQ(ports.Claim(1), 0);
        local.Take();
        EXPECT_EQ(ports.In(888), 0xFF) << "nothing to read from: a floating bus";
        ports.Out(888, 0x14);
        EXPECT_THAT(local.Take(), IsEmpty()) << "no claim, and no wait for one, per byte";
        EXPECT_EQ(ports.Claim(1), 0);
        EXPECT_THAT(local.told, Contains(HasSubstr(c.told)).Times(1));
        EXPECT_THAT(local.open, IsEmpty());
    }
    kernel.ports[0].busy = true;
    EXPECT_EQ(ports->Claim(1), 0);
    kernel.ports[0].busy = false;
    EXPECT_EQ(ports->Claim(1), 1) << "an explicit claim tries again";
}

TEST_F(ParallelPortsTest, EachAddressReachesItsPortsRegisterOrIsDroppedAndToldOnce) {
    FourPorts();
    kernel.ports[4].baseAddr = "0\t0\n"; // a USB adapter: no I/O address
    for (int port : {1, 3, 4}) {         // fds 3, 4 and 5; port 2 is picked from the menu unclaimed
        ASSERT_EQ(ports->Claim(port), 1);
    }
    kernel.Take();
    // The address, the calls of OutByte(address, 0xA5) and InByte(address), what InByte gives.
    const std::tuple<std::int32_t, Calls, std::int32_t> cases[] = {
        {888, {"PPWDATA 3 A5", "PPRDATA 3"}, 0x3C},
        {889, {"PPRSTATUS 3"}, 0x78}, // the status register is read-only
        {890, {"PPWCONTROL 3 05", "PPDATADIR 3 01", "PPRCONTROL 3"}, 0xA5},
        {632,
         {"open /dev/parport1 = 6", "PPEXCL 6", "PPCLAIM 6", "PPWDATA 6 A5", "PPRDATA 6"},
         0x3C},
        {0xD012, {"PPWCONTROL 5 05", "PPDATADIR 5 01", "PPRCONTROL 5"}, 0xA5},
        {-12272, {"PPWDATA 5 A5", "PPRDATA 5"}, 0x3C}, // 0xD010 sign-extended from 16 bits
        {0x2F8, {}, 0xFF},                             // a serial port's
        {0x27B, {}, 0xFF},                             // one past LPT2's control register
        {0, {}, 0xFF},
        {0x10378, {}, 0xFF}, // not 888 with a carry
        {0x2F8, {}, 0xFF},   // and again, told only once
    };
    for (const auto& [address, calls, read] : cases) {
        SCOPED_TRACE(address);
        ports->Out(address, -0x5B); // 0xA5 sign-extended: only the low 8 bits count
        EXPECT_EQ(ports->In(address), read);
        EXPECT_EQ(kernel.Take(), calls);
    }
    EXPECT_THAT(kernel.told,
                ElementsAre("parllio: no printer port at I/O address 0x02F8 (760); writes there "
                            "are dropped and reads give 0xFF (the kernel's ports: 0x0378, 0x0278, "
                            "0x03BC, 0xD010)",
                            HasSubstr("0x027B (635)"), HasSubstr("0x0000 (0)"),
                            HasSubstr("I/O address 66424 is outside the I/O space")));
}

TEST_F(ParallelPortsTest, TheControlRegisterKeepsTheBitsppdevCannotShow) {
    kernel.ports[0];
    ASSERT_EQ(ports->Claim(1), 1);
    const std::tuple<std::int32_t, std::int32_t, std::int32_t, Calls> steps[] = {
        // AND and then OR on what InByte gives, what it gives after the write, the write's calls
        {0xD4, 0x00, 0x04, {"PPWCONTROL 3 04", "PPDATADIR 3 00"}}, // as at start-up
        {0xFF, 0xE3, 0xE7, {"PPWCONTROL 3 07", "PPDATADIR 3 01"}}, // data lines to inputs
        {0xD4, 0x00, 0xC4, {"PPWCONTROL 3 04", "PPDATADIR 3 00"}},
        {0xDF, 0x00, 0xC4, {"PPWCONTROL 3 04"}}, // bit 5 already clear: no direction call
        {0xFF, 0x10, 0xD4, {"PPWCONTROL 3 04"}}, // bit 4 lives only in the copy
    };
    for (const auto& [mask, set, reads, calls] : steps) {
        SCOPED_TRACE(reads);
        const std::int32_t before = ports->In(890);
        kernel.Take();
        ports->Out(890, (before & mask) | set);
        EXPECT_EQ(kernel.Take(), calls);
        EXPECT_EQ(ports->In(890), reads);
    }
    kernel.ports[0].reads[PPRCONTROL] = 0x0B; // lines the kernel changed show through the copy
    EXPECT_EQ(ports->In(890), 0xDB);
}

TEST_F(ParallelPortsTest, RegisterFailuresAreToldOnceAndReadsFloat) {
    kernel.ports[0].errors = {{PPWDATA, EIO}, {PPRSTATUS, EIO}, {PPDATADIR, EIO}};
    for (int i = 0; i < 3; ++i) {
        ports->Out(888, i);
        EXPECT_EQ(ports->In(889), 0xFF);
        ports->Out(890, 0x04);
    }
    EXPECT_THAT(kernel.told, ElementsAre("parllio: writing the data register of /dev/parport0 "
                                         "failed: Input/output error",
                                         HasSubstr("reading the status register of /dev/parport0"),
                                         HasSubstr("setting the data direction of /dev/parport0")));
    EXPECT_EQ(std::ranges::count(kernel.calls, "PPDATADIR 3 00"), 3)
        << "a direction that could not be set is tried again";
}

TEST_F(ParallelPortsTest, InfoGivesTheFirstFieldOfBaseAddrAndRefusesTheRest) {
    // The first field of base-addr, in decimal, is the base address; anything else is told.
    const auto check = [](const std::string& text, std::int32_t base) {
        SCOPED_TRACE(text);
        FakeKernel local;
        local.ports[0].baseAddr = text;
        ParallelPortInfo info{12, -1, 0};
        EXPECT_EQ(ParallelPorts(local).Info(1, &info), base < 0 ? 0 : 1);
        EXPECT_EQ(info.base_address, base);
        EXPECT_EQ(local.told.size(), base < 0 ? 1u : 0u);
        EXPECT_THAT(local.calls, IsEmpty()) << "asking for the address claims nothing";
    };
    check("888\t1912\n", 888);
    check("632", 632);
    check("53264\t53248\n", 0xD010);
    check("00888\t0", 888);
    for (const std::string& text :
         {"0\t0\n"s, ""s, "\t1912"s, " 888\t1912"s, "65536\t0"s, "-888\t0"s, "0x378"s, "888abc"s,
          "99999999999999999999\t0"s, "888\0"s}) {
        check(text, -1); // 0 is a USB adapter's: no I/O address
    }
    kernel.ports[0];
    ParallelPortInfo small{8, -1, 0};
    EXPECT_EQ(ports->Info(1, nullptr), 0);
    EXPECT_EQ(ports->Info(1, &small), 0);
    EXPECT_EQ(ports->Claim(0), 0);
    EXPECT_EQ(small.base_address, -1);
    EXPECT_THAT(kernel.told,
                ElementsAre(HasSubstr("a record of at least 12 bytes"),
                            HasSubstr("there is no port 0: ports are numbered from 1")));
    EXPECT_THAT(kernel.calls, IsEmpty());
}

TEST_F(ParallelPortsTest, ClaimsExclusivelyOrSharedWithThePrinterDriverAndGivesEveryPortBack) {
    FourPorts();
    kernel.ports[1].printerDriver = true;
    EXPECT_EQ(ports->Count(), 4);
    EXPECT_EQ(ports->Claim(1), 1);
    EXPECT_EQ(ports->Claim(1), 1) << "a second claim of a held port succeeds";
    EXPECT_EQ(ports->Claim(2), 1);
    ports->Out(632, 0x14);
    ports->Out(888, 0x06); // the last address used, which a release must make it forget
    EXPECT_THAT(kernel.Take(),
                ElementsAre("open /dev/parport0 = 3", "PPEXCL 3", "PPCLAIM 3",
                            "open /dev/parport1 = 4", "PPEXCL 4", "PPCLAIM 4", "close 4",
                            "open /dev/parport1 = 5", "PPCLAIM 5", "PPWDATA 5 14", "PPWDATA 3 06"));
    EXPECT_EQ(ports->Release(1), 1);
    EXPECT_EQ(ports->Release(1), 0) << "nothing left to release";
    EXPECT_THAT(kernel.Take(), ElementsAre("PPRELEASE 3", "close 3"));
    ports->Out(888, 0x14); // released, so claimed again at its next use
    ports.reset();
    EXPECT_THAT(kernel.Take(),
                ElementsAre("open /dev/parport0 = 6", "PPEXCL 6", "PPCLAIM 6", "PPWDATA 6 14",
                            "PPRELEASE 6", "close 6", "PPRELEASE 5", "close 5"))
        << "what is left goes with the library, in port order";
    EXPECT_THAT(kernel.told, IsEmpty());

    kernel.noPortList = true;
    EXPECT_EQ(ParallelPorts(kernel).Count(), 0);
    EXPECT_THAT(kernel.told, ElementsAre(HasSubstr("the kernel lists no printer ports "
                                                   "(/proc/sys/dev/parport: No such file or "
                                                   "directory); load its modules: sudo modprobe "
                                                   "-a parport_pc ppdev")));
}

} // namespace
} // namespace parllio
