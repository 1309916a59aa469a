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
    bool fixedAddress; // Windows 95 and 98: the port is at 888, nothing is asked
};

const HostCase hosts[] = {
    {"win95", "Windows 95", true},
    {"win98", "Windows 98", true},
    {"nt40", "Windows NT 4.0", false},
    {"win2k", "Windows 2000", false},
    {"winxp", "Windows 2000", false}, // 5.1: the major number decides
    {"win7", "", false},
    {"win10", "", false},
};

// What the probe prints. The query path first counts, claims and asks for the
// address (888 here, so the other two port items are greyed); both paths then
// set up the control register at 890, show the status box if asked for, write
// the byte 6 at 888 and show the window.
std::string ExpectedStartup(const std::string& name, bool fixedAddress, bool statusBox) {
    std::string events;
    if (!fixedAddress) {
        events += "GetParallelPortCount()\nClaimParallelPort(1, -1)\nGetParallelPortInfo(1)\n"
                  "window: disable MnuLPT2\nwindow: disable MnuPRN\n";
    }
    events += "InByte(890)\nOutByte(890, 0xd4)\n";
    if (statusBox) {
        events +=
            "box \"Windows Version:" + name + "\\rPort Address:0x378\" titled \"Show Status\"\n";
    }
    events += "OutByte(888, 0x6)\nwindow: show modal\n";
    return events + "name: \"" + name + "\"\nPortAddress: 888\n";
}

// Copies the probe into `root` under a name of its own (Wine keys a program's
// version by its file name) and gives that name.
std::string ProbeCopy(const TempFolder& root, const std::string& tag) {
    const std::string program =
        "startup_probe_" + tag + "_" + std::to_string(GetCurrentProcessId()) + ".exe";
    fs::copy_file(ExecutableFolder() / "probes" / "startup_probe.exe", root.Path() / program);
    return program;
}

TEST(WindowsStartup, WineVersionNamesTheHostAndPicksThePath) {
    TempFolder root;
    for (const HostCase& host : hosts) {
        SCOPED_TRACE(host.wineVersion);
        const std::string program = ProbeCopy(root, host.wineVersion);
        const WineVersionFor version(program, host.wineVersion);

        const ChildResult result = RunChild(root.Path() / program, {"/ss"}, root.Path());

        EXPECT_EQ(result.output, ExpectedStartup(host.name, host.fixedAddress, true));
        EXPECT_EQ(result.exitCode, 0u);
    }
}

// Set for the whole prefix, the version reaches programs that have none of their
// own; the tests' other programs do, or don't ask.
TEST(WindowsStartup, TheVersionSetForTheWholePrefixCountsToo) {
    TempFolder root;
    const std::string program = ProbeCopy(root, "prefix");
    const WineVersionForAll version("nt40");

    const ChildResult result = RunChild(root.Path() / program, {"/SS"}, root.Path());

    EXPECT_EQ(result.output, ExpectedStartup("Windows NT 4.0", false, true));
}

TEST(WindowsStartup, WithoutTheSwitchNoStatusBoxComesUp) {
    TempFolder root;
    const std::string program = ProbeCopy(root, "quiet");
    const WineVersionFor version(program, "win98");

    const ChildResult result = RunChild(root.Path() / program, {"/S", "S"}, root.Path());

    EXPECT_EQ(result.output, ExpectedStartup("Windows 98", true, false));
}

} // namespace
} // namespace qv4130::testing
