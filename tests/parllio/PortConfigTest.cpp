// The configuration files that bind the program's three addresses to devices,
// and what the library does with no file at all.
#include "FakeAdapters.h"
#include "ParallelPorts.h"
#include "Paths.h"
#include "PortBindings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace parllio {
namespace {

using namespace ::testing;
using namespace fakes;

TEST(PortConfig, EachFormBindsItsPortAndALineThatCannotBeUsedIsToldWithFileAndLineAndSkipped) {
    const FtdiSelector anyFtdi;
    const std::tuple<const char*, std::vector<Binding>, const char*> cases[] = {
        {"LPT1 = ftdi:0403:6014", {{888, FtdiSelector{0x0403, 0x6014, ""}}}, nullptr},
        {"lpt1=/dev/parport1   # the PCIe card", {{888, 1}}, nullptr},
        {"PRN = ftdi:serial=FT4ABC12", {{956, FtdiSelector{0, 0, "FT4ABC12"}}}, nullptr},
        {"\t0x378 = ftdi\r", {{888, anyFtdi}}, nullptr},
        {"956 = /dev/parport0", {{956, 0}}, nullptr},
        {"# LPT1 = ftdi", {}, nullptr},
        {"LPT3 = ftdi",
         {},
         "/etc/parllio.conf:2: no port \"LPT3\": the program's ports are LPT1 (888), LPT2 "
         "(632) and PRN (956); line ignored"},
        {"0x379 = ftdi", {}, "/etc/parllio.conf:2: no port \"0x379\""},
        {"LPT1 = usb:0403:6014",
         {},
         "/etc/parllio.conf:2: unknown device \"usb:0403:6014\": name ftdi, ftdi:VVVV:PPPP, "
         "ftdi:serial=SERIAL or /dev/parportN; line ignored"},
        {"LPT1 = ftdi:0403", {}, "unknown device \"ftdi:0403\""},
        {"LPT1 = ftdi:04030:6014", {}, "unknown device"},
        {"LPT1 = ftdi:serial=", {}, "unknown device"},
        {"LPT1 = /dev/parportA", {}, "unknown device"},
        {"LPT1 ftdi",
         {},
         "/etc/parllio.conf:2: \"LPT1 ftdi\" is not a binding such as \"LPT1 = ftdi:0403:6014\"; "
         "line ignored"},
        {"= ftdi", {}, "is not a binding"},
    };
    for (const auto& [line, bound, told] : cases) {
        SCOPED_TRACE(line);
        FileKernel kernel;
        kernel.files["/etc/parllio.conf"] = "\n" + std::string(line) + "\nLPT2 = /dev/parport3";
        Complaints complaints(kernel);
        std::vector<Binding> read = ReadConfig(kernel, complaints, {{"/etc/parllio.conf", false}});
        EXPECT_THAT(read, Contains(Binding{632, 3})) << "the next line still counts";
        std::erase(read, Binding{632, 3});
        EXPECT_EQ(read, bound);
        if (told == nullptr) {
            EXPECT_THAT(kernel.told, IsEmpty());
        } else {
            EXPECT_THAT(kernel.told, ElementsAre(AllOf(StartsWith("parllio: "), HasSubstr(told))));
        }
    }
}

TEST(PortConfig, LaterFilesOverrideEarlierOnesPortByPort) {
    const std::vector<ConfigFile> files = ConfigFiles("/home/op", "/tmp/bench.conf");
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].path, "/etc/parllio.conf");
    EXPECT_EQ(files[1].path, "/home/op/.config/parllio.conf");
    EXPECT_EQ(files[2].path, "/tmp/bench.conf");
    EXPECT_EQ(ConfigFiles(nullptr, "").size(), 1u);

    FileKernel kernel;
    kernel.files = {{"/etc/parllio.conf", "LPT1 = ftdi\nPRN = /dev/parport0\n"},
                    {"/home/op/.config/parllio.conf", "LPT1 = /dev/parport1\n"},
                    {"/tmp/bench.conf", "PRN = ftdi:serial=Q\n"}};
    Complaints complaints(kernel);
    EXPECT_THAT(ReadConfig(kernel, complaints, files),
                ElementsAre(Binding{888, 1}, Binding{956, FtdiSelector{0, 0, "Q"}}));
    kernel.files.erase("/home/op/.config/parllio.conf"); // a file of one's own is optional,
    kernel.files.erase("/tmp/bench.conf");               // one named by PARLLIO_CONFIG is not
    EXPECT_THAT(ReadConfig(kernel, complaints, files),
                ElementsAre(Binding{888, FtdiSelector{}}, Binding{956, 0}));
    EXPECT_THAT(kernel.told, ElementsAre("parllio: cannot read /tmp/bench.conf: No such file or "
                                         "directory"));
}

TEST(PortConfig, BindingsNumberThePortsGiveTheirAddressesAndRouteTheirRegisters) {
    FileKernel kernel;
    FakeFtdi ftdi;
    kernel.files["/etc/parllio.conf"] = "PRN = ftdi\nLPT2 = /dev/parport1\n";
    PortBindings bindings(kernel, ftdi, {{"/etc/parllio.conf", false}}, TickByHand);
    ParallelPorts ports(kernel, bindings);
    EXPECT_EQ(ports.Count(), 2);
    ParallelPortInfo info{12, 0, 0};
    for (const auto& [port, base] : {std::pair{1, 632}, std::pair{2, 956}}) {
        EXPECT_EQ(ports.Info(port, &info), 1);
        EXPECT_EQ(info.base_address, base);
    }
    EXPECT_EQ(ports.Info(3, &info), 0);
    ports.Out(632, 0x14);
    ports.Out(956, 0x06);
    ports.Out(888, 0x16);
    EXPECT_EQ(ports.Release(2), 1);
    EXPECT_THAT(kernel.calls, ElementsAre("PPWDATA /dev/parport1 14"));
    EXPECT_THAT(ftdi.Transfers(), ElementsAre(std::vector<std::uint8_t>{0x06}));
    EXPECT_THAT(kernel.told, ElementsAre("parllio: there is no port 3: only 2 are bound",
                                         HasSubstr("no printer port at I/O address 0x0378 (888); "
                                                   "writes there are dropped and reads give 0xFF "
                                                   "(the ports bound: 0x0278, 0x03BC)")));
}

TEST(PortConfig, WithoutAFileTheKernelsPrinterPortsComeFirstAndNoAdapterIsTouched) {
    FileKernel kernel;
    FakeFtdi ftdi;
    kernel.parports = {"default", "parport0"};
    kernel.nodes.insert("/dev/parport0");
    kernel.files[BaseAddrPath(0)] = "888\t1912\n";
    PortBindings bindings(kernel, ftdi, {{"/etc/parllio.conf", false}}, TickByHand);
    ParallelPorts ports(kernel, bindings);
    EXPECT_EQ(ports.Count(), 1);
    ports.Out(888, 0x14);
    EXPECT_THAT(kernel.calls, ElementsAre("PPWDATA /dev/parport0 14"));
    EXPECT_THAT(ftdi.calls, IsEmpty());
}

} // namespace
} // namespace parllio
