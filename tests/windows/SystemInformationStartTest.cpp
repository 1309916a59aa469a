// Finding System Information through the real registry and file test, with the
// tool's two locations planted in HKLM, and the real program start.
#include "TestKit.h"
#include "host/SystemInformation.h"
#include "support/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

namespace qv4130::testing {
namespace {

namespace fs = std::filesystem;

class RecordingStarter final : public ProgramStarter {
public:
    void Start(const std::string& path, WindowShow) override { paths.push_back(path); }
    std::vector<std::string> paths;
};

TEST(WindowsSystemInformation, StartsTheToolFromEitherLocationOrShowsTheMessage) {
    const std::string first = std::string("HKLM\\") + MsinfoKey;
    const std::string second = std::string("HKLM\\") + SharedToolsLocationKey;
    constexpr DWORD NoTool = 0;
    enum Started { Nothing, FirstPath, SecondFolderTool };
    struct Case {
        const char* name;
        bool firstSet;
        bool secondSet;
        DWORD tool; // MSINFO32.EXE in the second folder: its attributes, a folder so named, or none
        Started started;
    };
    const Case cases[] = {
        {"first location, taken as it is", true, true, FILE_ATTRIBUTE_NORMAL, FirstPath},
        {"only the second, folder with the tool", false, true, FILE_ATTRIBUTE_NORMAL,
         SecondFolderTool},
        {"only the second, folder without the tool", false, true, NoTool, Nothing},
        {"only the second, the tool hidden", false, true, FILE_ATTRIBUTE_HIDDEN, Nothing},
        {"only the second, a system file", false, true, FILE_ATTRIBUTE_SYSTEM, Nothing},
        {"only the second, a folder so named", false, true, FILE_ATTRIBUTE_DIRECTORY, Nothing},
        {"neither location", false, false, NoTool, Nothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder root;
        const std::string firstPath = (root.Path() / "first tool.exe").string();
        const fs::path secondFolder = root.Sub("second folder");
        const fs::path tool = secondFolder / "MSINFO32.EXE";
        if (c.tool == FILE_ATTRIBUTE_DIRECTORY) {
            fs::create_directory(tool);
        } else if (c.tool != NoTool) {
            std::ofstream(tool) << "x";
            SetFileAttributesA(tool.string().c_str(), c.tool);
        }
        RunCommand("reg.exe delete \"" + first + "\" /v PATH /f");
        RunCommand("reg.exe delete \"" + second + "\" /v MSINFO /f");
        if (c.firstSet) {
            Reg("add \"" + first + "\" /v PATH /d \"" + firstPath + "\" /f");
        }
        if (c.secondSet) {
            Reg("add \"" + second + "\" /v MSINFO /d \"" + secondFolder.string() + "\" /f");
        }

        HostRegistry registry;
        HostFileFinder files;
        RecordingStarter programs;
        RecordingMessageSink messages;
        StartSysInfo({registry, files, programs, messages});

        const std::vector<std::string> paths[] = {
            {}, {firstPath}, {secondFolder.string() + "\\MSINFO32.EXE"}};
        EXPECT_EQ(programs.paths, paths[c.started]);
        EXPECT_EQ(messages.boxes.size(), c.started == Nothing ? 1u : 0u);
        SetFileAttributesA(tool.string().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    RunCommand("reg.exe delete \"" + first + "\" /v PATH /f");
    RunCommand("reg.exe delete \"" + second + "\" /v MSINFO /f");
}

// The started program (StartedProgram.cpp) says it runs, then waits for a
// release: had the start waited for its end, it would have given up waiting
// and say "timed out".
TEST(WindowsProgramStart, ReturnsAtOnceWhileTheProgramRunsOn) {
    TempFolder root;
    const fs::path program = root.Sub("folder with spaces") / "started program.exe";
    fs::copy_file(BuildFolder() / "probes" / "started_program.exe", program);
    const auto waitFor = [&](const char* suffix) {
        for (int waited = 0; waited < 40000 && !fs::exists(program.string() + suffix);
             waited += 20) {
            Sleep(20);
        }
        return fs::exists(program.string() + suffix);
    };

    HostProgramStarter().Start(program.string(), WindowShow::NormalFocus);

    ASSERT_TRUE(waitFor(".running"));
    std::ofstream(program.string() + ".release") << "go";
    ASSERT_TRUE(waitFor(".done"));
    std::string outcome;
    std::getline(std::ifstream(program.string() + ".done"), outcome);
    EXPECT_EQ(outcome, "released");
}

TEST(WindowsProgramStart, WhatCannotBeStartedIsAnError) {
    TempFolder root;
    const fs::path notAProgram = root.Path() / "notes.txt";
    std::ofstream(notAProgram) << "not a program";
    for (const std::string& path : {(root.Path() / "absent.exe").string(), std::string(),
                                    root.Path().string(), notAProgram.string()}) {
        SCOPED_TRACE(path);
        EXPECT_THROW(HostProgramStarter().Start(path, WindowShow::NormalFocus), ProgramStartError);
    }
}

} // namespace
} // namespace qv4130::testing
