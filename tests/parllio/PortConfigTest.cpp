// The configuration files that bind the program's three addresses to devices,
// and what the library does with no file at all.
#include "FakeAdapters.h"
#include "ParallelPorts.h"
#include "Paths.h"
#include "PortBindings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace parllio {
namespace {

using namespace ::testing;
using namespace fakes;
using namespace std::string_literals;

const ConfigFile SystemFile{"/etc/parllio.conf", false};

// ftdi:VVVV:PPPP and ftdi:serial=SERIAL bind the real-kernel tier's adapters
// ("usb-serial", "usb-conf"); ftdi:serial= also LaterFilesOverride's. A line
// that is all comment is the trailing comment's case.
TEST(PortConfig, EachFormBindsItsPortAndALineThatCannotBeUsedIsToldWithFileAndLineAndSkipped) {
    const std::tuple<const char*, std::vector<Binding>, const char*> cases[] = {
        {"lpt1=/dev/parport1   # the PCIe card", {{888, 1}}, nullptr},
        {"\t0x378 = ftdi\r", {{888, FtdiSelector{}}}, nullptr},
        {"LPT3 = ftdi", {}, "conf:2: no port \"LPT3\""},
        {"LPT1 = usb:0403:6014", {}, "conf:2: unknown device \"usb:0403:6014\""},
        {"LPT1 = ftdi:serial=", {}, "unknown device"},
        {"LPT1 ftdi", {}, "conf:2: \"LPT1 ftdi\" is not a binding"},
    };
    for (const auto& [line, bound, told] : cases) {
        SCOPED_TRACE(line);
        FakeKernel kernel;
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
    FakeKernel kernel;
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

// How many mistakes are told: the huge file of EndlessSilentOrHugeFiles.
TEST(PortConfig, MistakesAreToldQuotedSafelyAndClashesAreTold) {
    FakeKernel kernel;
    kernel.files = {{"/etc/parllio.conf", "LPT1 = \x1b[2J\0ftdi\nLPT1 = /dev/parport0\n"
                                          "LPT2 = /dev/parport1\nlpt2 = /dev/parport0\n"s}};
    Complaints complaints(kernel);
    ReadConfig(kernel, complaints, {SystemFile});
    EXPECT_THAT(kernel.told,
                ElementsAre(HasSubstr(":1: unknown device \"\\x1B[2J\\x00ftdi\": name ftdi"),
                            "parllio: /etc/parllio.conf:4: LPT2 is bound again (line 3 bound it "
                            "too); this line counts",
                            "parllio: /dev/parport0 is bound to both LPT1 and LPT2"));
}

// What never ends, never comes, or goes on for megabytes, read by the real kernel.
TEST(PortConfig, EndlessSilentOrHugeFilesFinishAtOnceWithAFewMessages) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("parllio-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string fifo = folder / "fifo";
    const std::string huge = folder / "huge.conf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    {
        std::ofstream file(huge);
        for (int i = 0; i < 1'000'000; ++i) {
            file << "LPT9 = ftdi\n";
        }
        file << "LPT1 = ftdi\n";
    }
    const std::pair<std::string, std::vector<Matcher<std::string>>> cases[] = {
        {fifo, {"parllio: cannot read " + fifo + ": not a regular file"}},
        {folder.string(), {HasSubstr("Is a directory")}},
        {huge,
         {HasSubstr("longer than 64 KiB; only the lines in its first 64 KiB are read"), _, _, _, _,
          _, EndsWith("more lines with mistakes, not told one by one")}},
    };
    for (const auto& [path, told] : cases) {
        SCOPED_TRACE(path);
        FakeKernel kernel;
        kernel.realFiles = true;
        Complaints complaints(kernel);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_THAT(ReadConfig(kernel, complaints, {{path, true}}), IsEmpty());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_THAT(kernel.told, ElementsAreArray(told));
    }
    std::filesystem::remove_all(folder);
}

TEST(PortConfig, BindingsNumberThePortsGiveTheirAddressesAndRouteTheirRegisters) {
    FakeKernel kernel;
    FakeFtdi ftdi;
    kernel.ports[1];
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
    EXPECT_THAT(kernel.calls, Contains(StartsWith("PPWDATA")).Times(1));
    EXPECT_THAT(kernel.calls, Contains("PPWDATA 3 14"));
    EXPECT_THAT(ftdi.transfers, ElementsAre(Bytes{0x06}));
    EXPECT_THAT(kernel.told, ElementsAre("parllio: there is no port 3: only 2 are bound",
                                         AllOf(HasSubstr("address 0x0378 (888)"),
                                               EndsWith("(the ports bound: 0x0278, 0x03BC)"))));
}

} // namespace
} // namespace parllio
