// The Windows code against the real Win32 API (under Wine in the cross build):
// the loader's search for the port library, the host's version, registry values
// read as the System Information lookup reads them, the file test and the
// program start.
#include "board/DynamicPortLibrary.h"
#include "host/SystemInformation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace qv4130::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

// A fresh folder under the system's temporary folder, removed with all it holds.
struct TempFolder {
    static inline int count = 0;
    const fs::path path =
        fs::temp_directory_path() /
        ("qv4130-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(count++));
    TempFolder() { fs::create_directories(path); }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

// The folder of this test program: the port library doubles lie in it and
// below it, the probe (Probe.cpp) in probes/.
fs::path BuildFolder() {
    char path[MAX_PATH];
    return fs::path(std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH))).parent_path();
}

// Runs `commandLine` through cmd.exe and gives back what it printed.
std::string RunCommand(const std::string& commandLine) {
    std::string output;
    FILE* pipe = _popen((commandLine + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, got);
    }
    _pclose(pipe);
    return output;
}

// The stand-in library is parllio.dll beside this program, and once more without
// OutByte; under another name it lies only in a folder that is both the current
// one and on PATH.
TEST(WindowsPortLibrary, LoadedOnlyFromBesideTheProgramAtTheFirstCall) {
    const std::string elsewhere = (BuildFolder() / "elsewhere").string();
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));
    ASSERT_TRUE(SetEnvironmentVariableA("PATH", (elsewhere + ";C:\\windows\\system32").c_str()));
    EXPECT_THAT([] { DynamicPortLibrary("parllio-elsewhere.dll").InByte(890); },
                ThrowsMessage<PortLibraryError>(
                    HasSubstr("cannot load the port library parllio-elsewhere.dll")));

    DynamicPortLibrary library;
    EXPECT_EQ(GetModuleHandleA("parllio.dll"), nullptr)
        << "nothing is loaded before the first call";
    EXPECT_EQ(library.GetParallelPortCount(), 2);
    EXPECT_EQ(library.InByte(890), 0xA5);

    // Bound function by function: a missing one fails only its own calls.
    DynamicPortLibrary noOutByte("parllio-no-outbyte.dll");
    EXPECT_EQ(noOutByte.InByte(890), 0xA5);
    EXPECT_THAT([&] { noOutByte.OutByte(888, 20); },
                ThrowsMessage<PortLibraryError>(HasSubstr("has no function OutByte")));
    EXPECT_EQ(noOutByte.InByte(890), 0xA5);
}

TEST(WindowsStartup, WineVersionNamesTheHost) {
    const std::pair<const char*, const char*> cases[] = {
        {"win98", "Windows 98"},
        {"nt40", "Windows NT 4.0"},
        {"win10", ""},
    };
    TempFolder root;
    for (const auto& [wineVersion, name] : cases) {
        // Wine keys a program's version by its file name: a copy of the probe
        // under a name of its own keeps tests run side by side apart.
        const std::string program = std::string("probe_") + wineVersion + "_" +
                                    std::to_string(GetCurrentProcessId()) + ".exe";
        fs::copy_file(BuildFolder() / "probes" / "probe.exe", root.path / program);
        const std::string key = "HKCU\\Software\\Wine\\AppDefaults\\" + program;
        RunCommand("reg add " + key + " /v Version /d " + wineVersion + " /f");
        EXPECT_EQ(RunCommand("\"" + (root.path / program).string() + "\" version"),
                  std::string(name) + "\n")
            << wineVersion;
        RunCommand("reg delete " + key + " /f");
    }
}

TEST(WindowsRegistry, ReadsEachKindOfValueAsTheLookupNeedsIt) {
    const std::string key = "SOFTWARE\\qv4130-tests\\" + std::to_string(GetCurrentProcessId());
    const std::string text1023(1023, 'x');
    // The value's name, its type (nothing: not planted) and data, whether it is
    // found and what it leaves in a text that holds "before" on entry.
    const std::tuple<const char*, const char*, std::string, bool, std::string> cases[] = {
        {"Text1023", "REG_SZ", text1023, true, text1023},
        {"Text1024", "REG_SZ", text1023 + "y", false, ""},
        // 0x80000102; the digits follow what the text held on entry.
        {"Number", "REG_DWORD", "2147483906", true, "&hbefore80000102"},
        {"Missing", nullptr, "", false, ""},
    };
    HostRegistry registry;
    for (const auto& [name, type, data, found, value] : cases) {
        if (type != nullptr) {
            RunCommand("reg add HKLM\\" + key + " /v " + name + " /t " + type + " /d " + data +
                       " /f");
        }
        std::string keyVal = "before";
        EXPECT_EQ(GetKeyValue(registry, HkeyLocalMachine, key, name, keyVal), found) << name;
        EXPECT_EQ(keyVal, value) << name;
    }
    RunCommand("reg delete HKLM\\" + key + " /f");
}

TEST(WindowsFileFinder, FindsOnlyAnOrdinaryFile) {
    TempFolder root;
    const std::pair<const char*, DWORD> files[] = {{"ordinary.exe", FILE_ATTRIBUTE_NORMAL},
                                                   {"hidden.exe", FILE_ATTRIBUTE_HIDDEN},
                                                   {"system.exe", FILE_ATTRIBUTE_SYSTEM},
                                                   {"folder.exe", FILE_ATTRIBUTE_DIRECTORY},
                                                   {"absent.exe", 0}};
    for (const auto& [name, attributes] : files) {
        const fs::path path = root.path / name;
        if (attributes == FILE_ATTRIBUTE_DIRECTORY) {
            fs::create_directory(path);
        } else if (attributes != 0) {
            std::ofstream(path) << "x";
            SetFileAttributesA(path.string().c_str(), attributes);
        }
        EXPECT_EQ(HostFileFinder().FindOrdinaryFile(path.string()),
                  attributes == FILE_ATTRIBUTE_NORMAL ? name : "");
    }
}

// The probe started without arguments says it runs and stays a minute: had the
// start waited for its end, it would be gone by the time the start returned.
TEST(WindowsProgramStart, ReturnsAtOnceWhileTheProgramRunsOn) {
    TempFolder root;
    fs::create_directory(root.path / "folder with spaces");
    const fs::path program = root.path / "folder with spaces" / "started program.exe";
    fs::copy_file(BuildFolder() / "probes" / "probe.exe", program);
    EXPECT_THROW(
        HostProgramStarter().Start((root.path / "absent.exe").string(), WindowShow::NormalFocus),
        ProgramStartError);

    HostProgramStarter().Start(program.string(), WindowShow::NormalFocus);

    DWORD id = 0;
    for (int waited = 0; waited < 30000 && !(std::ifstream(program.string() + ".running") >> id);
         waited += 20) {
        Sleep(20);
    }
    HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    ASSERT_NE(process, nullptr) << "the program never ran, or has already ended";
    DWORD status = 0;
    EXPECT_TRUE(GetExitCodeProcess(process, &status) && status == STILL_ACTIVE);
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
}

} // namespace
} // namespace qv4130::test
