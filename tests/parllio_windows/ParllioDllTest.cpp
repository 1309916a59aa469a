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

// What the caller does: claim or release port 1, write or read an I/O address, or pause.
struct Step {
    enum { Claim, Release, Out, In, Pause } what;
    int address = 0;
    int value = 0;
};

struct Case {
    const char* name;
    const char* conf;       // null: no parllio.conf anywhere
    bool confInProgramData; // else beside parllio.dll
    bool withFtd2xx;        // the stand-in ftd2xx.dll beside parllio.dll
    const char* failWrite;  // the stand-in's first FT_Write to fail, "" none
    std::vector<Step> steps;
    int claimed; // ClaimParallelPort's result
    std::vector<std::string> d2xx;
    std::vector<std::string> portIo;
    std::string lastError; // part of GetParallelPortError's text
    std::string message;   // part of one of the messages the handler got, "" any or none
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

// A word's bytes, as the board's serial word makes 55 writes of the data register.
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

const std::vector<Step> Claim{{Step::Claim}};
const std::vector<Step> Release{{Step::Release}};
const std::vector<std::string> AdapterOpened{"create-list", "get-list 1", "open-ex SI000001 1",
                                             "bit-mode ff 1", "baud 40000"};
const std::string RawPortConf = "io-driver = portio.dll\nio-write = WriteIo\nio-read = "
                                "ReadIo\nLPT1 = io:0xD010 # a PCIe card\n";

std::vector<std::string> Lines(const char* text) {
    std::vector<std::string> lines;
    std::istringstream stream(text != nullptr ? text : "");
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The calls the stand-in loaded from `path` saw; none when it was never loaded.
std::vector<std::string> Log(const fs::path& path) {
    HMODULE module = GetModuleHandleW(path.wstring().c_str());
    if (module == nullptr) {
        return {};
    }
    auto log = reinterpret_cast<const char* (*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "StandIn_Log")));
    return Lines(log());
}

template <typename F> F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
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
    const fs::path programData = folder / "ProgramData";
    fs::remove_all(folder);
    fs::create_directories(programData / "parllio");
    const fs::path standIns = fs::path(PARLLIO_STAND_INS);
    fs::copy_file(PARLLIO_DLL, folder / "parllio.dll", fs::copy_options::overwrite_existing);
    fs::copy_file(standIns / "portio.dll", folder / "portio.dll",
                  fs::copy_options::overwrite_existing);
    if (c.withFtd2xx) {
        fs::copy_file(standIns / "ftd2xx.dll", folder / "ftd2xx.dll",
                      fs::copy_options::overwrite_existing);
    }
    if (c.conf != nullptr) {
        std::ofstream(c.confInProgramData ? programData / "parllio" / "parllio.conf"
                                          : folder / "parllio.conf")
            << c.conf;
    }
    SetEnvironmentVariableW(L"PROGRAMDATA", programData.wstring().c_str());
    SetEnvironmentVariableW(L"PARLLIO_CONFIG", nullptr);
    SetEnvironmentVariableA("STAND_IN_FAIL_WRITE", c.failWrite);

    HMODULE parllio = LoadLibraryW((folder / "parllio.dll").wstring().c_str());
    ASSERT_NE(parllio, nullptr);
    std::vector<std::string> messages;
    Export<decltype(&SetParallelPortMessageHandler)>(parllio, "SetParallelPortMessageHandler")(
        Collect, &messages);
    const auto claim = Export<decltype(&ClaimParallelPort)>(parllio, "ClaimParallelPort");
    const auto release = Export<decltype(&ReleaseParallelPort)>(parllio, "ReleaseParallelPort");
    const auto out = Export<decltype(&OutByte)>(parllio, "OutByte");
    const auto in = Export<decltype(&InByte)>(parllio, "InByte");
    const auto error = Export<decltype(&GetParallelPortError)>(parllio, "GetParallelPortError");

    for (const Step& step : c.steps) {
        switch (step.what) {
        case Step::Claim:
            EXPECT_EQ(claim(1, 0), c.claimed);
            break;
        case Step::Release:
            release(1);
            break;
        case Step::Out:
            out(step.address, step.value);
            break;
        case Step::In:
            in(step.address);
            break;
        case Step::Pause:
            Sleep(static_cast<DWORD>(step.value));
            break;
        }
    }
    char text[1024] = "";
    error(text, sizeof text);
    EXPECT_THAT(Log(folder / "ftd2xx.dll"), ElementsAreArray(c.d2xx));
    EXPECT_THAT(Log(folder / "portio.dll"), ElementsAreArray(c.portIo));
    EXPECT_THAT(text, HasSubstr(c.lastError));
    if (!c.message.empty()) {
        EXPECT_THAT(messages, Contains(HasSubstr(c.message)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParllioDll,
    ::testing::Values(
        // Each word goes out as one transfer, in bit-bang mode at the pace libftdi gives on Linux.
        Case{"AdapterWordsOneTransferEach",
             "LPT1 = ftdi\n",
             false,
             true,
             "",
             Join<Step>({Claim, Writes(0), Writes(1), Writes(2), Release}),
             1,
             Join<std::string>({AdapterOpened, {Transfer(0), Transfer(1), Transfer(2), "close"}}),
             {},
             "",
             ""},
        // An adapter that stops taking bytes is the library's last failure; its later words are
        // dropped.
        Case{"AdapterFailingMidRun",
             "LPT1 = ftdi:0403:6001\n",
             false,
             true,
             "2",
             Join<Step>({Claim, Writes(0), Writes(1), Writes(2), Release}),
             1,
             Join<std::string>({AdapterOpened, {Transfer(0), Transfer(1), "close"}}),
             {},
             "stopped taking bytes (FT_Write failed: FT_IO_ERROR",
             "stopped taking bytes"},
        // Only the bound port's three registers reach the driver, at the base the line gives.
        Case{"PrinterPortOnlyItsRegisters",
             RawPortConf.c_str(),
             true,
             false,
             "",
             Join<Step>({Claim,
                         {{Step::Out, 888, 0x55},
                          {Step::Out, 890, 0x0C},
                          {Step::In, 889},
                          {Step::Out, 889, 0x01},
                          {Step::Out, 891, 0x01},
                          {Step::Out, 0xD010, 0x01},
                          {Step::In, 0x80},
                          {Step::Out, 956, 0x01}},
                         Release}),
             1,
             {},
             {"out d010 55", "out d012 0c", "in d011"},
             "no printer port at I/O address 0x03BC",
             "no printer port at I/O address 0xD010"},
        // Nothing bound and no FTDI driver: the claim fails with both reasons told.
        Case{"NothingAtAll",
             nullptr,
             false,
             false,
             "",
             Claim,
             0,
             {},
             {},
             "cannot claim port 1: no port is bound in parllio.conf",
             "FTDI's D2XX driver (ftd2xx.dll) is not installed: not found beside parllio.dll"},
        // A printer port without its driver named, or with a driver that is not there.
        Case{"PrinterPortWithoutDriver",
             "LPT1 = io\n",
             false,
             false,
             "",
             Claim,
             0,
             {},
             {},
             "does not name the port-I/O driver",
             "does not name"},
        Case{"PrinterPortDriverMissing",
             "io-driver = absent.dll\nio-write = W\nio-read = R\nLPT1 = io\n",
             false,
             false,
             "",
             Claim,
             0,
             {},
             {},
             "cannot load the port-I/O driver absent.dll: not found",
             "absent.dll"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
