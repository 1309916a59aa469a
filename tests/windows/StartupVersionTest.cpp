// The host's version through the real GetVersionExA, as Wine reports it for the
// version its registry sets, and the start-up path each name takes.
#include "ChildProcess.h"
#include "PlantedRegistry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <sstream>

namespace qv4130::testing {
namespace {

namespace fs = std::filesystem;

struct HostCase {
    const char* wineVersion;
    const char* name;
};

const HostCase hosts[] = {
    {"win95", "Windows 95"},
    {"win98", "Windows 98"},
    {"nt40", "Windows NT 4.0"},
    {"win2k", "Windows 2000"},
    {"winxp", "Windows 2000"}, // 5.1: the major number decides
    {"win7", ""},
    {"win10", ""},
};

// The events start-up makes on the fixed-address path (Windows 95 and 98): the
// control register at 890, the status box, the byte 6 at 888, the window.
std::string FixedAddressPath(const std::string& name) {
    return "InByte(890)\n"
           "OutByte(890, 0xd4)\n"
           "box \"Windows Version:" +
           name +
           "\\rPort Address:0x378\" titled \"Show Status\"\n"
           "OutByte(888, 0x6)\n"
           "window: show modal\n";
}

// Every other name asks the library: count, claim, address query (888 here, so
// the other two port items are greyed), then the same steps at that address.
std::string QueryPath(const std::string& name) {
    return "GetParallelPortCount()\n"
           "ClaimParallelPort(1, -1)\n"
           "GetParallelPortInfo(1)\n"
           "window: disable MnuLPT2\n"
           "window: disable MnuPRN\n"
           "InByte(890)\n"
           "OutByte(890, 0xd4)\n"
           "box \"Windows Version:" +
           name +
           "\\rPort Address:0x378\" titled \"Show Status\"\n"
           "OutByte(888, 0x6)\n"
           "window: show modal\n";
}

TEST(WindowsStartup, WineVersionNamesTheHostAndPicksThePath) {
    TempFolder root;
    for (const HostCase& host : hosts) {
        SCOPED_TRACE(host.wineVersion);
        // A copy of its own per version: Wine keys the version by program name.
        const std::string program = std::string("startup_probe_") + host.wineVersion + "_" +
                                    std::to_string(GetCurrentProcessId()) + ".exe";
        fs::copy_file(ExecutableFolder() / "probes" / "startup_probe.exe", root.Path() / program);
        const WineVersionFor version(program, host.wineVersion);

        const ChildResult result = RunChild(root.Path() / program, {"/ss"}, root.Path());

        const std::string name = host.name;
        const bool fixed =
            name.find("95") != std::string::npos || name.find("98") != std::string::npos;
        EXPECT_EQ(result.output, (fixed ? FixedAddressPath(name) : QueryPath(name)) + "name: \"" +
                                     name + "\"\nPortAddress: 888\n");
        EXPECT_EQ(result.exitCode, 0u);
    }
}

TEST(WindowsStartup, TheVersionSetForTheWholePrefixCountsToo) {
    TempFolder root;
    const std::string program =
        "startup_probe_prefix_" + std::to_string(GetCurrentProcessId()) + ".exe";
    fs::copy_file(ExecutableFolder() / "probes" / "startup_probe.exe", root.Path() / program);
    const WineVersionForAll version("nt40");

    const ChildResult result = RunChild(root.Path() / program, {"/SS"}, root.Path());

    EXPECT_EQ(result.output,
              QueryPath("Windows NT 4.0") + "name: \"Windows NT 4.0\"\nPortAddress: 888\n");
}

TEST(WindowsStartup, WithoutTheSwitchNoStatusBoxComesUp) {
    TempFolder root;
    const std::string program =
        "startup_probe_quiet_" + std::to_string(GetCurrentProcessId()) + ".exe";
    fs::copy_file(ExecutableFolder() / "probes" / "startup_probe.exe", root.Path() / program);
    const WineVersionFor version(program, "win98");

    const ChildResult result = RunChild(root.Path() / program, {"/S", "S"}, root.Path());

    EXPECT_EQ(result.output, "InByte(890)\nOutByte(890, 0xd4)\nOutByte(888, 0x6)\n"
                             "window: show modal\nname: \"Windows 98\"\nPortAddress: 888\n");
}

} // namespace
} // namespace qv4130::testing
