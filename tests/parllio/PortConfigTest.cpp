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

const ConfigFile SystemFile{"/etc/parllio.conf", false};

TEST(PortConfig, EachFormBindsItsPortAndALineThatCannotBeUsedIsToldWithFileAndLineAndSkipped) {
    const std::tuple<const char*, std::vector<Binding>, const char*> cases[] = {
        {"LPT1 = ftdi:0403:6014", {{888, FtdiSelector{0x0403, 0x6014, ""}}}, nullptr},
        {"lpt1=/dev/parport1   # the PCIe card", {{888, 1}}, nullptr},
        {"PRN = ftdi:serial=FT4ABC12", {{956, FtdiSelector{0, 0, "FT4ABC12"}}}, nullptr},
        {"\t0x378 = ftdi\r", {{888, FtdiSelector{}}}, nullptr},
        {"# LPT1 = ftdi", {}, nullptr},
        {"LPT3 = ftdi",
         {},
         "conf:2: no port \"LPT3\": the program's ports are LPT1 (888), LPT2 "
         "(632) and PRN (956); line ignored"},
        {"LPT1 = usb:0403:6014",
         {},
         "conf:2: unknown device \"usb:0403:6014\": name ftdi, "
         "ftdi:VVVV:PPPP, ftdi:serial=SERIAL or /dev/parportN; line"},
        {"LPT1 = ftdi:serial=", {}, "unknown device"},
        {"LPT1 ftdi",
         {},
         "conf:2: \"LPT1 ftdi\" is not a binding such as \"LPT1 = "
         "ftdi:0403:6014\"; line ignored"},
    };
    for (const auto& [line, bound, told] : cases) {
        SCOPED_TRACE(line);
        FileKernel kernel;
        kernel.files[SystemFile.path] = "\n" + std::string(line) + "\nLPT2 = /dev/parport3";
        Complaints complaints(kernel);
        std::vector<Binding> read = ReadConfig(kernel, complaints, {SystemFile});
        EXPECT_EQ(std::erase(read, Binding{632, 3}), 1u) << "the next line still counts";
        EXPECT_EQ(read, bound);
        EXPECT_THAT(kernel.told, told == nullptr ? Matcher<std::vector<std::string>>(IsEmpty())
                                                 : ElementsAre(AllOf(StartsWith("parllio: /etc/"),
                                                                     HasSubstr(told))));
    }
}

TEST(PortConfig, LaterFilesOverrideEarlierOnesPortByPort) {
    const std::vector<ConfigFile> files = ConfigFiles("/home/op", "/tmp/bench.conf");
    EXPECT_EQ(ConfigFiles(nullptr, "").size(), 1u);
    FileKernel kernel;
    kernel.files = {{"/etc/parllio.conf", "LPT1 = ftdi\nPRN = /dev/parport0\n"},
                    {"/home/op/.config/parllio.conf", "LPT1 = /dev/parport1\nLPT2 = ftdi\n"},
                    {"/tmp/bench.conf", "LPT2 = ftdi:serial=Q\n"}};
    Complaints complaints(kernel);
    EXPECT_THAT(
        ReadConfig(kernel, complaints, files),
        ElementsAre(Binding{888, 1}, Binding{632, FtdiSelector{0, 0, "Q"}}, Binding{956, 0}));
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
    kernel.files[SystemFile.path] = "PRN = ftdi\nLPT2 = /dev/parport1\n";
    PortBindings bindings(kernel, ftdi, {SystemFile}, TickByHand);
    ParallelPorts ports(kernel, bindings);
    EXPECT_EQ(ports.Count(), 2);
    ParallelPortInfo lpt2{12, 0, 0}, prn{12, 0, 0}, none{12, 0, 0};
    EXPECT_EQ(ports.Info(1, &lpt2) + ports.Info(2, &prn) + ports.Info(3, &none), 2);
    EXPECT_EQ(std::pair(lpt2.base_address, prn.base_address), std::pair(632, 956));
    ports.Out(632, 0x14);
    ports.Out(956, 0x06);
    ports.Out(888, 0x16);
    EXPECT_EQ(ports.Release(2), 1);
    EXPECT_THAT(kernel.writes, ElementsAre("/dev/parport1 20"));
    EXPECT_THAT(ftdi.transfers, ElementsAre(Bytes{0x06}));
    EXPECT_THAT(kernel.told, ElementsAre("parllio: there is no port 3: only 2 are bound",
                                         HasSubstr("no printer port at I/O address 0x0378 (888); "
                                                   "writes there are dropped and reads give 0xFF "
                                                   "(the ports bound: 0x0278, 0x03BC)")));
}

} // namespace
} // namespace parllio
