// The host's name through the real GetVersionExA, for each Windows version Wine
// is told to report, and the start-up path that name takes.
#include "TestKit.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace qv4130::testing {
namespace {

TEST(WindowsStartup, WineVersionNamesTheHostAndPicksThePath) {
    struct Case {
        const char* wineVersion;
        const char* name;
        bool fixedAddress; // Windows 95 and 98: the port is at 888, nothing is asked
    };
    const Case cases[] = {
        {"win95", "Windows 95", true},
        {"win98", "Windows 98", true},
        {"nt40", "Windows NT 4.0", false},
        {"win2k", "Windows 2000", false},
        {"winxp", "Windows 2000", false}, // 5.1: the major number decides
        {"win7", "", false},
        {"win10", "", false},
    };
    TempFolder root;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wineVersion);
        // Wine keys a program's version by its file name: a copy of the probe
        // under a name of its own keeps tests run side by side apart.
        const std::string program = std::string("startup_probe_") + c.wineVersion + "_" +
                                    std::to_string(GetCurrentProcessId()) + ".exe";
        std::filesystem::copy_file(BuildFolder() / "probes" / "startup_probe.exe",
                                   root.Path() / program);
        const std::string key = "HKCU\\Software\\Wine\\AppDefaults\\" + program;
        Reg("add " + key + " /v Version /d " + c.wineVersion + " /f");

        const Ran ran = RunCommand("\"" + (root.Path() / program).string() + "\"");
        RunCommand("reg.exe delete " + key + " /f");

        const std::string asked = c.fixedAddress
                                      ? ""
                                      : "GetParallelPortCount()\nClaimParallelPort(1, -1)\n"
                                        "GetParallelPortInfo(1)\n";
        EXPECT_EQ(ran.output, asked +
                                  "InByte(890)\nOutByte(890, 0xd4)\nOutByte(888, 0x6)\nname: \"" +
                                  c.name + "\"\nPortAddress: 888\n");
    }
}

} // namespace
} // namespace qv4130::testing
