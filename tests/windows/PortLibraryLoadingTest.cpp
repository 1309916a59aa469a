// The binding's search for parllio.dll under the real Windows loader: each case
// lays out a program folder, a current folder and a folder on PATH, with
// parllio.dll in one of them, runs the probe and reads what it did.
#include "TestKit.h"

#include <gtest/gtest.h>

namespace qv4130::testing {
namespace {

namespace fs = std::filesystem;

TEST(WindowsPortLibraryLoading, FindsParllioOnlyBesideTheProgram) {
    enum Place { BesideProgram, CurrentFolder, OnPath };
    const std::string notFound = "cannot load the port library parllio.dll: ...\n";
    const std::string noOutByte = "the port library parllio.dll has no function OutByte: ...\n";
    struct Case {
        const char* name;
        Place place;
        const char* variant; // the double whole or without OutByte
        const char* calls;
        std::string expected;
    };
    const Case cases[] = {
        {"beside the program: loaded at the first call, every argument passed through",
         BesideProgram, "whole", "count claim info in out",
         "count -> 2\nclaim -> 0\ninfo -> 1, base 888\nin 890 -> 165\nout 888 20\n"
         "log: count;claim 1 -1;info 1 12;in 890;out 888 20;\n"},
        {"a function missing: only its own calls fail", BesideProgram, "no-outbyte",
         "in out count out",
         "in 890 -> 165\nout failed: " + noOutByte + "count -> 2\nout failed: " + noOutByte +
             "log: in 890;count;\n"},
        {"only in the current folder: never loaded, the error names it", CurrentFolder, "whole",
         "count out", "count failed: " + notFound + "out failed: " + notFound + "log: \n"},
        {"only on PATH: never loaded", OnPath, "whole", "in", "in failed: " + notFound + "log: \n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder root;
        const fs::path folders[] = {root.Sub("program"), root.Sub("current"), root.Sub("on path")};
        const fs::path probe = folders[BesideProgram] / "port_library_probe.exe";
        fs::copy_file(BuildFolder() / "probes" / "port_library_probe.exe", probe);
        fs::copy_file(BuildFolder() / "doubles" / c.variant / "parllio.dll",
                      folders[c.place] / "parllio.dll");

        const Ran ran = RunCommand(
            "set \"PATH=" + folders[OnPath].string() + ";C:\\windows\\system32\" && cd /d \"" +
            folders[CurrentFolder].string() + "\" && \"" + probe.string() + "\" " + c.calls);

        EXPECT_EQ(ran.output, "loaded first: no\n" + c.expected);
    }
}

} // namespace
} // namespace qv4130::testing
