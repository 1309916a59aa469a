// parllio.dll as the program loads it, under Wine: each case copies it into a
// fresh folder with its parllio.conf and the recording stand-ins (StandIns.c)
// for FTDI's driver and a port-I/O driver, calls its exports, and compares the
// calls the stand-ins saw, whole, with those expected.
#include "support/RecordingPortLibrary.h"

#include <parllio/parllio.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using qv4130::test::Join;
using ::testing::Contains;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

// What the caller does: claim port 1 (expecting `value`), release it, write or
// read an I/O address, or pause `value` ms.
struct Step {
    enum { Claim, Release, Out, In, Pause } what;
    int address = 0;
    int value = 0;
};

struct Case {
    const char* name;
    std::string conf = "";            // parllio.conf beside parllio.dll, "" none
    std::string programDataConf = ""; // %PROGRAMDATA%\parllio\parllio.conf, "" none
    bool ftd2xx = false;              // the stand-in ftd2xx.dll beside parllio.dll
    const char* failWrite = "";       // the stand-in's first FT_Write to fail
    std::vector<Step> steps = {};
    std::vector<std::string> d2xx = {}; // the calls each stand-in saw
    std::vector<std::string> portIo = {};
    std::vector<std::string> told = {}; // parts of the messages told; the last, of the last error
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

// Word `n`: 55 writes of the data register, as the board's serial word makes.
std::vector<int> Word(int n) {
    std::vector<int> bytes;
    for (int at = 0; at < 55; ++at) {
        bytes.push_back((n * 55 + at) & 0xFF);
    }
    return bytes;
}

// The writes of word `n` to LPT1, then the caller's pause before the next word.
std::vector<Step> Writes(int n) {
    std::vector<Step> steps;
    for (const int byte : Word(n)) {
        steps.push_back({Step::Out, 888, byte});
    }
    steps.push_back({Step::Pause, 0, 30});
    return steps;
}

// The transfer the stand-in records for word `n`.
std::string Transfer(int n) {
    std::string line = "write";
    char hex[4];
    for (const int byte : Word(n)) {
        std::snprintf(hex, sizeof hex, " %02x", byte);
        line += hex;
    }
    return line;
}

const std::vector<Step> Claimed{{Step::Claim, 0, 1}};
const std::vector<Step> Refused{{Step::Claim, 0, 0}};
const std::vector<Step> ThreeWords =
    Join<Step>({Claimed, Writes(0), Writes(1), Writes(2), {{Step::Release}}});
const std::string Driver = "io-driver = portio.dll\nio-write = WriteIo\nio-read = ReadIo\n";
const std::vector<std::string> AdapterOpened{"create-list", "get-list 1", "open-ex SI000001 1",
                                             "bit-mode ff 1", "baud 40000"};

template <typename F> F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The calls the stand-in loaded from `path` saw; none when it was never loaded.
std::vector<std::string> Log(const fs::path& path) {
    HMODULE module = GetModuleHandleW(path.wstring().c_str());
    std::istringstream text(module ? Export<const char* (*)()>(module, "StandIn_Log")() : "");
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    return lines;
}

void Collect(const char* text, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(text);
}

class ParllioDll : public ::testing::TestWithParam<Case> {};

// Each case runs in a process of its own (ctest starts one per case), so the
// library and the stand-ins start afresh; it is never unloaded.
TEST_P(ParllioDll, CallsReachTheDriversAsExpected) {
    const Case& c = GetParam();
    const fs::path folder = fs::temp_directory_path() / (std::string("parllio-") + c.name);
    const fs::path standIns = PARLLIO_STAND_INS;
    fs::remove_all(folder);
    fs::create_directories(folder / "ProgramData" / "parllio");
    fs::copy_file(PARLLIO_DLL, folder / "parllio.dll");
    fs::copy_file(standIns / "portio.dll", folder / "portio.dll");
    if (c.ftd2xx) {
        fs::copy_file(standIns / "ftd2xx.dll", folder / "ftd2xx.dll");
    }
    if (!c.conf.empty()) {
        std::ofstream(folder / "parllio.conf") << c.conf;
    }
    if (!c.programDataConf.empty()) {
        std::ofstream(folder / "ProgramData" / "parllio" / "parllio.conf") << c.programDataConf;
    }
    SetEnvironmentVariableW(L"PROGRAMDATA", (folder / "ProgramData").wstring().c_str());
    SetEnvironmentVariableW(L"PARLLIO_CONFIG", nullptr);
    SetEnvironmentVariableA("STAND_IN_FAIL_WRITE", c.failWrite);

    HMODULE parllio = LoadLibraryW((folder / "parllio.dll").wstring().c_str());
    ASSERT_NE(parllio, nullptr);
    std::vector<std::string> messages;
    Export<decltype(&SetParallelPortMessageHandler)>(parllio, "SetParallelPortMessageHandler")(
        Collect, &messages);
    for (const Step& step : c.steps) {
        if (step.what == Step::Claim) {
            EXPECT_EQ(Export<decltype(&ClaimParallelPort)>(parllio, "ClaimParallelPort")(1, 0),
                      step.value);
        } else if (step.what == Step::Release) {
            Export<decltype(&ReleaseParallelPort)>(parllio, "ReleaseParallelPort")(1);
        } else if (step.what == Step::Out) {
            Export<decltype(&OutByte)>(parllio, "OutByte")(step.address, step.value);
        } else if (step.what == Step::In) {
            Export<decltype(&InByte)>(parllio, "InByte")(step.address);
        } else {
            Sleep(static_cast<DWORD>(step.value));
        }
    }
    EXPECT_THAT(Log(folder / "ftd2xx.dll"), ElementsAreArray(c.d2xx));
    EXPECT_THAT(Log(folder / "portio.dll"), ElementsAreArray(c.portIo));
    for (const std::string& part : c.told) {
        EXPECT_THAT(messages, Contains(HasSubstr(part)));
    }
    char error[1024] = "";
    Export<decltype(&GetParallelPortError)>(parllio, "GetParallelPortError")(error, sizeof error);
    EXPECT_THAT(error, HasSubstr(c.told.empty() ? "" : c.told.back()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParllioDll,
    ::testing::Values(
        // Each word goes out as one transfer, in bit-bang mode at the pace libftdi gives on Linux.
        Case{.name = "AdapterWordsOneTransferEach",
             .conf = "LPT1 = ftdi\n",
             .ftd2xx = true,
             .steps = ThreeWords,
             .d2xx = Join<std::string>({AdapterOpened,
                                        {Transfer(0), Transfer(1), Transfer(2), "close"}})},
        // An adapter that stops taking bytes is the last failure; the later words are dropped.
        Case{.name = "AdapterFailingMidRun",
             .conf = "LPT1 = ftdi:0403:6001\n",
             .ftd2xx = true,
             .failWrite = "2",
             .steps = ThreeWords,
             .d2xx = Join<std::string>({AdapterOpened, {Transfer(0), Transfer(1), "close"}}),
             .told = {"stopped taking bytes (FT_Write failed: FT_IO_ERROR"}},
        // Only the bound port's three registers reach the driver, at the base the line gives.
        Case{.name = "PrinterPortOnlyItsRegisters",
             .programDataConf = Driver + "LPT1 = io:0xD010 # a PCIe card\n",
             .steps = Join<Step>({Claimed,
                                  {{Step::Out, 888, 0x55},
                                   {Step::Out, 890, 0x0C},
                                   {Step::In, 889},
                                   {Step::Out, 889, 0x01},
                                   {Step::Out, 891, 0x01},
                                   {Step::Out, 0xD010, 0x01},
                                   {Step::In, 0x80},
                                   {Step::Out, 956, 0x01}}}),
             .portIo = {"out d010 55", "out d012 0c", "in d011"},
             .told = {"no printer port at I/O address 0xD010",
                      "no printer port at I/O address 0x03BC"}},
        // Nothing bound and no FTDI driver: the claim fails, both reasons told.
        Case{.name = "NothingAtAll",
             .steps = Refused,
             .told = {"FTDI's D2XX driver (ftd2xx.dll) is not installed",
                      "cannot claim port 1: no port is bound in parllio.conf"}},
        // A printer port without its driver named, or with a driver that is not there.
        Case{.name = "PrinterPortWithoutDriver",
             .conf = "LPT1 = io\n",
             .steps = Refused,
             .told = {"does not name the port-I/O driver"}},
        Case{.name = "PrinterPortDriverMissing",
             .conf = "io-driver = absent.dll\nio-write = W\nio-read = R\nLPT1 = io\n",
             .steps = Refused,
             .told = {"cannot load the port-I/O driver absent.dll: not found"}},
        // A port by the name Windows gives it, which Wine's device information lacks.
        Case{.name = "PrinterPortWindowsLacks",
             .conf = Driver + "LPT1 = io:LPT3\n",
             .steps = Refused,
             .told = {"cannot use the printer port LPT3: Windows lists no port LPT3"}}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
