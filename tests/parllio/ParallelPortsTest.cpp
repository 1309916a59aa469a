#include "ParallelPorts.h"
#include "FakeKernel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <linux/ioctl.h>
#include <linux/ppdev.h>
#include <optional>
#include <set>

namespace parllio::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using Calls = std::vector<std::string>;

constexpr std::chrono::milliseconds Patience{750};

class ParallelPortsTest : public ::testing::Test {
protected:
    // Ports at the three PC addresses and one on a PCIe card, high in the I/O space.
    void FourPorts() {
        kernel.ports[0].baseAddr = "888\t1912\n";
        kernel.ports[1].baseAddr = "632\t1656\n";
        kernel.ports[2].baseAddr = "956\t0\n";
        kernel.ports[3].baseAddr = "53264\t53248\n";
    }

    FakeKernel kernel;
    std::optional<ParallelPorts> ports{std::in_place, kernel, Patience};
};

TEST_F(ParallelPortsTest, ClaimAsksForTheWholePortFirst) {
    kernel.ports[0];
    EXPECT_EQ(ports->Claim(1), 1);
    EXPECT_THAT(kernel.TakeCalls(), ElementsAre("open /dev/parport0 = 3", "PPEXCL 3", "PPCLAIM 3"));
    EXPECT_THAT(kernel.claimPatience, ElementsAre(Patience));

    EXPECT_EQ(ports->Claim(1), 1) << "a second claim of a held port succeeds";
    EXPECT_THAT(kernel.TakeCalls(), IsEmpty());
    EXPECT_THAT(kernel.told, IsEmpty());
}

TEST_F(ParallelPortsTest, ClaimSharesThePortWhenThePrinterDriverHasItRegistered) {
    kernel.ports[0].otherDriverRegistered = true;
    EXPECT_EQ(ports->Claim(1), 1);
    EXPECT_THAT(kernel.TakeCalls(), ElementsAre("open /dev/parport0 = 3", "PPEXCL 3", "PPCLAIM 3",
                                                "close 3", "open /dev/parport0 = 4", "PPCLAIM 4"));
    EXPECT_THAT(kernel.openFds, ElementsAre(4));
    ports->Out(888, 0x14);
    EXPECT_THAT(kernel.TakeCalls(), ElementsAre("PPWDATA 4 14"));
}

TEST_F(ParallelPortsTest, AClaimThatFailsSaysWhatToDoAndLeavesNothingOpen) {
    struct Case {
        const char* name;
        void (*arrange)(FakeKernel&);
        const char* told;
    };
    const Case cases[] = {
        {"permission", [](FakeKernel& k) { k.ports[0].openError = EACCES; },
         "parllio: cannot open /dev/parport0: Permission denied (add the user to the 'lp' group"},
        {"no ppdev", [](FakeKernel& k) { k.ports[0].openError = ENOENT; },
         "No such file or directory (load the ppdev module: sudo modprobe ppdev)"},
        {"no such port", [](FakeKernel&) {},
         "cannot open /dev/parport0: No such file or directory (the kernel has no port parport0;"},
        {"busy",
         [](FakeKernel& k) {
             k.ports[0].heldByOther = true;
             k.ports[0].activeHolder = "lp\n";
         },
         "parllio: cannot claim /dev/parport0: the port is busy, held by 'lp'"},
        {"busy and shared",
         [](FakeKernel& k) {
             k.ports[0].heldByOther = true;
             k.ports[0].otherDriverRegistered = true;
         },
         "the port is busy, held by another program or driver"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeKernel local;
        c.arrange(local);
        {
            ParallelPorts ports(local, Patience);
            EXPECT_EQ(ports.Claim(1), 0);
            EXPECT_EQ(ports.Claim(1), 0);
            EXPECT_EQ(ports.In(888), 0xFF) << "nothing to read from: a floating bus";
            ports.Out(888, 0x14);
            EXPECT_THAT(local.told, Contains(HasSubstr(c.told)).Times(1));
            EXPECT_EQ(std::set(local.told.begin(), local.told.end()).size(), local.told.size())
                << "each told once however often it fails";
            EXPECT_THAT(local.openFds, IsEmpty());
        }
        for (const std::string& call : local.calls) {
            EXPECT_THAT(call, Not(HasSubstr("PPWDATA")));
        }
    }
}

TEST_F(ParallelPortsTest, AFailedClaimIsNotRetriedByEveryByteButIsByAnExplicitClaim) {
    kernel.ports[0].heldByOther = true;
    EXPECT_EQ(ports->Claim(1), 0);
    kernel.TakeCalls();
    for (int i = 0; i < 5; ++i) {
        ports->Out(888, i);
    }
    EXPECT_THAT(kernel.TakeCalls(), IsEmpty()) << "no claim and no wait per byte";

    kernel.ports[0].heldByOther = false;
    EXPECT_EQ(ports->Claim(1), 1);
    ports->Out(888, 0x06);
    EXPECT_THAT(kernel.TakeCalls(),
                ElementsAre("open /dev/parport0 = 4", "PPEXCL 4", "PPCLAIM 4", "PPWDATA 4 06"));
}

TEST_F(ParallelPortsTest, EachAddressReachesItsPortsRegister) {
    FourPorts();
    for (int port = 1; port <= 4; ++port) {
        ASSERT_EQ(ports->Claim(port), 1);
    }
    kernel.TakeCalls(); // the fds are 3, 4, 5 and 6, in port order

    struct Case {
        std::int32_t address;
        const char* write; // the call OutByte(address, 0xA5) makes, "" for none
        const char* read;  // the call InByte(address) makes
    };
    const Case cases[] = {
        {888, "PPWDATA 3 A5", "PPRDATA 3"},
        {889, "", "PPRSTATUS 3"}, // the status register is read-only
        {890, "PPWCONTROL 3 05", "PPRCONTROL 3"},
        {632, "PPWDATA 4 A5", "PPRDATA 4"},
        {634, "PPWCONTROL 4 05", "PPRCONTROL 4"},
        {956, "PPWDATA 5 A5", "PPRDATA 5"},
        {957, "", "PPRSTATUS 5"},
        {0xD010, "PPWDATA 6 A5", "PPRDATA 6"},
        {0xD012, "PPWCONTROL 6 05", "PPRCONTROL 6"},
        {-12272, "PPWDATA 6 A5", "PPRDATA 6"}, // 0xD010 sign-extended from 16 bits
        {-12270, "PPWCONTROL 6 05", "PPRCONTROL 6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        ports->Out(c.address, 0xA5);
        Calls written = kernel.TakeCalls();
        if (!written.empty() && written.back().starts_with("PPDATADIR")) {
            written.pop_back(); // the first control write also sets the direction
        }
        EXPECT_EQ(written, *c.write ? Calls{c.write} : Calls{});
        ports->In(c.address);
        EXPECT_THAT(kernel.TakeCalls(), ElementsAre(c.read));
    }
    EXPECT_THAT(kernel.told, IsEmpty());
}

TEST_F(ParallelPortsTest, ReadsGiveTheRegistersBytes) {
    kernel.ports[0].data = 0x3C;
    kernel.ports[0].status = 0x87;
    ASSERT_EQ(ports->Claim(1), 1);
    EXPECT_EQ(ports->In(888), 0x3C);
    EXPECT_EQ(ports->In(889), 0x87);
    ports->Out(888, -1); // the low 8 bits of a sign-extended value
    EXPECT_EQ(kernel.ports[0].data, 0xFF);
}

TEST_F(ParallelPortsTest, AnUnclaimedPortIsClaimedAtItsFirstUse) {
    FourPorts();
    ASSERT_EQ(ports->Claim(1), 1);
    kernel.TakeCalls();
    ports->Out(632, 0x14); // the operator picked LPT2
    ports->Out(632, 0x16);
    EXPECT_THAT(kernel.TakeCalls(), ElementsAre("open /dev/parport1 = 4", "PPEXCL 4", "PPCLAIM 4",
                                                "PPWDATA 4 14", "PPWDATA 4 16"));
    EXPECT_EQ(ports->In(0xD011), 0x78);
    EXPECT_THAT(kernel.TakeCalls(),
                ElementsAre("open /dev/parport3 = 5", "PPEXCL 5", "PPCLAIM 5", "PPRSTATUS 5"));
}

TEST_F(ParallelPortsTest, AddressesOfNoPortAreDroppedAndToldOnceEach) {
    FourPorts();
    kernel.ports.erase(2);               // nothing at 956 now
    kernel.ports[4].baseAddr = "0\t0\n"; // a USB adapter: no I/O address
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ports->In(0x3BC), 0xFF);
        ports->Out(0x3BC, 0x14);
        ports->Out(0x2F8, 0x14); // a serial port's address
        EXPECT_EQ(ports->In(0), 0xFF);
        EXPECT_EQ(ports->In(0x10378), 0xFF) << "not 888 with a carry";
    }
    EXPECT_THAT(kernel.calls, IsEmpty()) << "no device is opened or touched";
    EXPECT_THAT(kernel.told,
                ElementsAre(HasSubstr("no printer port at I/O address 0x03BC (956); writes there "
                                      "are dropped and reads give 0xFF (the kernel's ports: "
                                      "0x0378, 0x0278, 0xD010)"),
                            HasSubstr("0x02F8 (760)"), HasSubstr("0x0000 (0)"),
                            HasSubstr("I/O address 66424 is outside the I/O space")));
}

TEST_F(ParallelPortsTest, TheControlRegisterKeepsTheBitsppdevCannotShow) {
    kernel.ports[0];
    ASSERT_EQ(ports->Claim(1), 1);
    kernel.TakeCalls();
    // The start-up sequence: read, AND 0xD4, write back.
    EXPECT_EQ(ports->In(890), 0x0C);
    ports->Out(890, 0x0C & 0xD4);
    EXPECT_THAT(kernel.TakeCalls(),
                ElementsAre("PPRCONTROL 3", "PPWCONTROL 3 04", "PPDATADIR 3 0"));

    struct Step {
        std::int32_t mask;  // AND applied to what InByte gives before it is written back
        std::int32_t set;   // then OR
        std::int32_t reads; // what InByte gives afterwards
        Calls calls;        // the write's calls
    };
    const Step steps[] = {
        {0xFF, 0xE3, 0xE7, {"PPWCONTROL 3 07", "PPDATADIR 3 1"}}, // data lines to inputs
        {0xD4, 0x00, 0xC4, {"PPWCONTROL 3 04", "PPDATADIR 3 0"}},
        {0xDF, 0x00, 0xC4, {"PPWCONTROL 3 04"}}, // bit 5 already clear: no direction call
        {0xFF, 0x10, 0xD4, {"PPWCONTROL 3 04"}}, // bit 4 lives only in the copy
        {0xDF, 0x00, 0xD4, {"PPWCONTROL 3 04"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.reads);
        const std::int32_t before = ports->In(890);
        kernel.TakeCalls();
        ports->Out(890, (before & step.mask) | step.set);
        EXPECT_EQ(kernel.TakeCalls(), step.calls);
        EXPECT_EQ(ports->In(890), step.reads);
        kernel.TakeCalls();
    }
    EXPECT_FALSE(kernel.ports[0].dataLinesInput);
    EXPECT_EQ(kernel.ports[0].controlLines, 0x04);
}

TEST_F(ParallelPortsTest, ControlLinesTheKernelChangedShowThroughTheCopy) {
    kernel.ports[0];
    ASSERT_EQ(ports->Claim(1), 1);
    ports->Out(890, 0xC4);
    kernel.ports[0].controlLines = 0x0B;
    EXPECT_EQ(ports->In(890), 0xCB);
}

TEST_F(ParallelPortsTest, RegisterFailuresAreToldOnceAndReadsFloat) {
    kernel.ports[0].ioctlErrors = {{PPWDATA, EIO}, {PPRSTATUS, EIO}, {PPDATADIR, EIO}};
    ASSERT_EQ(ports->Claim(1), 1);
    for (int i = 0; i < 3; ++i) {
        ports->Out(888, i);
        EXPECT_EQ(ports->In(889), 0xFF);
        ports->Out(890, 0x04);
    }
    EXPECT_THAT(kernel.told,
                ElementsAre("parllio: writing the data register of /dev/parport0 failed: "
                            "Input/output error",
                            HasSubstr("reading the status register of /dev/parport0"),
                            HasSubstr("setting the data direction of /dev/parport0")));
    const auto directionCalls =
        std::count_if(kernel.calls.begin(), kernel.calls.end(),
                      [](const std::string& call) { return call.starts_with("PPDATADIR"); });
    EXPECT_EQ(directionCalls, 3) << "a direction that could not be set is tried again";
}

TEST_F(ParallelPortsTest, InfoGivesTheBaseFromTheKernelsFirstField) {
    struct Case {
        const char* baseAddr;
        std::int32_t result;
        std::int32_t base;
        const char* told;
    };
    const Case cases[] = {
        {"888\t1912\n", 1, 888, nullptr},
        {"632", 1, 632, nullptr},
        {"53264\t53248\n", 1, 0xD010, nullptr},
        {"0x378\n", 0, -1,
         "/proc/sys/dev/parport/parport0/base-addr holds \"0x378\", which is "
         "not an I/O address"},
        {"", 0, -1, "holds \"\""},
        {"0\t0\n", 0, -1, "parport0 has no I/O address (a USB printer adapter?)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.baseAddr);
        FakeKernel local;
        local.ports[0].baseAddr = c.baseAddr;
        ParallelPorts ports(local);
        ParallelPortInfo info{12, -1, 0};
        EXPECT_EQ(ports.Info(1, &info), c.result);
        EXPECT_EQ(info.base_address, c.base);
        EXPECT_EQ(info.size, 12);
        if (c.told == nullptr) {
            EXPECT_THAT(local.told, IsEmpty());
        } else {
            EXPECT_THAT(local.told, ElementsAre(HasSubstr(c.told)));
        }
        EXPECT_THAT(local.calls, IsEmpty()) << "asking for the address claims nothing";
    }
}

TEST_F(ParallelPortsTest, InfoRefusesBadRequests) {
    kernel.ports[0];
    ParallelPortInfo small{8, -1, 0};
    ParallelPortInfo info{12, -1, 0};
    EXPECT_EQ(ports->Info(1, nullptr), 0);
    EXPECT_EQ(ports->Info(1, &small), 0);
    EXPECT_EQ(ports->Info(0, &info), 0);
    EXPECT_EQ(ports->Info(2, &info), 0);
    EXPECT_EQ(small.base_address, -1);
    EXPECT_EQ(info.base_address, -1);
    EXPECT_THAT(kernel.told,
                ElementsAre(HasSubstr("a record of at least 12 bytes"),
                            HasSubstr("there is no port 0: ports are numbered from 1"),
                            HasSubstr("cannot read the I/O address of parport1 from "
                                      "/proc/sys/dev/parport/parport1/base-addr: No such file")));
}

TEST_F(ParallelPortsTest, CountIsTheKernelsPorts) {
    FourPorts();
    EXPECT_EQ(ports->Count(), 4);
    kernel.ports.erase(3);
    EXPECT_EQ(ports->Count(), 3);
    kernel.portListMissing = true;
    EXPECT_EQ(ports->Count(), 0);
    EXPECT_THAT(kernel.told, ElementsAre(HasSubstr("the kernel lists no printer ports "
                                                   "(/proc/sys/dev/parport: No such file or "
                                                   "directory); load its modules: sudo modprobe "
                                                   "-a parport_pc ppdev")));
}

TEST_F(ParallelPortsTest, ReleaseGivesBackOnePortAndTheRestGoWithTheLibrary) {
    FourPorts();
    ASSERT_EQ(ports->Claim(1), 1);
    ASSERT_EQ(ports->Claim(2), 1);
    ports->Out(888, 0x06);
    kernel.TakeCalls();
    EXPECT_EQ(ports->Release(1), 1);
    EXPECT_EQ(ports->Release(1), 0) << "nothing left to release";
    EXPECT_EQ(ports->Release(3), 0);
    EXPECT_THAT(kernel.TakeCalls(), ElementsAre("PPRELEASE 3", "close 3"));

    ports->Out(888, 0x14); // released, so claimed again at its next use
    ports.reset();
    EXPECT_THAT(kernel.TakeCalls(),
                ElementsAre("open /dev/parport0 = 5", "PPEXCL 5", "PPCLAIM 5", "PPWDATA 5 14",
                            "PPRELEASE 5", "close 5", "PPRELEASE 4", "close 4"))
        << "released in port order";
    EXPECT_THAT(kernel.openFds, IsEmpty());
}

} // namespace
} // namespace parllio::testing
