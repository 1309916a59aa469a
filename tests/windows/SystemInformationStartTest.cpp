// Starting System Information, the file test and the program start through the
// real Windows calls: the tool's two registry locations planted in HKLM, copies
// of the started-program helper standing in for the tool.
#include "ChildProcess.h"
#include "PlantedRegistry.h"
#include "StartedProgramCopy.h"
#include "host/SystemInformation.h"
#include "support/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <fstream>
#include <memory>

namespace qv4130::testing {
namespace {

namespace fs = std::filesystem;

const std::string FirstKey = std::string("HKLM\\") + MsinfoKey;
const std::string SecondKey = std::string("HKLM\\") + SharedToolsLocationKey;

// The real program start, with a note of every path it was asked to start.
class WatchedStarter final : public ProgramStarter {
public:
    void Start(const std::string& path, WindowShow show) override {
        paths.push_back(path);
        real_.Start(path, show);
    }
    std::vector<std::string> paths;

private:
    HostProgramStarter real_;
};

enum class First { Absent, Tool, MissingFile, RawBytes, EmptyData };
enum class Second { Absent, FolderWithTool, FolderWithoutTool, FolderWithHiddenTool };
enum class Started { Nothing, FirstTool, SecondTool };

struct SysInfoCase {
    const char* name;
    First first;
    Second second;
    Started started;     // the message shows exactly when nothing is started
    bool emptyPathTried; // the start was asked for the empty path (and failed)
};

const SysInfoCase sysInfoCases[] = {
    {"first location: started as it is", First::Tool, Second::FolderWithTool, Started::FirstTool,
     false},
    {"first location names no file: message, second never consulted", First::MissingFile,
     Second::FolderWithTool, Started::Nothing, false},
    {"first location raw bytes: found, empty path, message", First::RawBytes,
     Second::FolderWithTool, Started::Nothing, true},
    {"first location empty data: error, message, second never consulted", First::EmptyData,
     Second::FolderWithTool, Started::Nothing, false},
    {"only the second, folder with the tool", First::Absent, Second::FolderWithTool,
     Started::SecondTool, false},
    {"only the second, folder without the tool", First::Absent, Second::FolderWithoutTool,
     Started::Nothing, false},
    {"only the second, the tool hidden", First::Absent, Second::FolderWithHiddenTool,
     Started::Nothing, false},
    {"neither location", First::Absent, Second::Absent, Started::Nothing, false},
};

TEST(WindowsSystemInformation, StartsTheToolFromEitherLocationOrShowsTheMessage) {
    for (const SysInfoCase& c : sysInfoCases) {
        SCOPED_TRACE(c.name);
        RemoveValue(FirstKey, MsinfoPathValue);
        RemoveValue(SecondKey, SharedToolsMsinfoValue);

        TempFolder root;
        const StartedProgramCopy firstTool(root.Sub("first") / "tool.exe");
        const fs::path secondFolder = root.Sub("second folder");
        std::optional<StartedProgramCopy> secondTool;
        if (c.second == Second::FolderWithTool || c.second == Second::FolderWithHiddenTool) {
            secondTool.emplace(secondFolder / "MSINFO32.EXE");
        }
        if (c.second == Second::FolderWithHiddenTool) {
            SetFileAttributesA(secondTool->Path().string().c_str(), FILE_ATTRIBUTE_HIDDEN);
        }

        std::vector<std::unique_ptr<PlantedValue>> planted;
        const auto plant = [&](const std::string& key, const char* name, const char* type,
                               const std::string& data) {
            planted.push_back(std::make_unique<PlantedValue>(key, name, type, data));
        };
        switch (c.first) {
        case First::Absent:
            break;
        case First::Tool:
            plant(FirstKey, MsinfoPathValue, "REG_SZ", firstTool.Path().string());
            break;
        case First::MissingFile:
            plant(FirstKey, MsinfoPathValue, "REG_SZ", (root.Path() / "absent.exe").string());
            break;
        case First::RawBytes:
            plant(FirstKey, MsinfoPathValue, "REG_BINARY", "4331");
            break;
        case First::EmptyData:
            planted.push_back(std::make_unique<PlantedValue>(FirstKey, MsinfoPathValue, REG_SZ,
                                                             std::vector<unsigned char>{}));
            break;
        }
        if (c.second != Second::Absent) {
            plant(SecondKey, SharedToolsMsinfoValue, "REG_SZ", secondFolder.string());
        }

        HostRegistry registry;
        HostFileFinder files;
        WatchedStarter programs;
        RecordingMessageSink messages;
        StartSysInfo({registry, files, programs, messages});

        std::vector<std::string> expectedPaths;
        if (c.started == Started::FirstTool) {
            expectedPaths.push_back(firstTool.Path().string());
        } else if (c.started == Started::SecondTool) {
            expectedPaths.push_back(secondFolder.string() + "\\MSINFO32.EXE");
        } else if (c.first == First::MissingFile) {
            expectedPaths.push_back((root.Path() / "absent.exe").string());
        } else if (c.emptyPathTried) {
            expectedPaths.push_back("");
        }
        EXPECT_EQ(programs.paths, expectedPaths);
        const std::vector<ShownMessage> expectedBoxes =
            c.started == Started::Nothing ? std::vector<ShownMessage>{{SystemInformationUnavailable,
                                                                       "QV4130", MessageIcon::None}}
                                          : std::vector<ShownMessage>{};
        EXPECT_EQ(messages.boxes, expectedBoxes);

        // The started tool runs on its own: it is still waiting for its release
        // now that the start has returned.
        const StartedProgramCopy* started = c.started == Started::FirstTool    ? &firstTool
                                            : c.started == Started::SecondTool ? &*secondTool
                                                                               : nullptr;
        if (started != nullptr) {
            ASSERT_TRUE(started->WaitUntilRunning());
            EXPECT_EQ(started->ReleaseAndWaitUntilDone(), "released");
        }
        const StartedProgramCopy* second = secondTool ? &*secondTool : nullptr;
        for (const StartedProgramCopy* other : {&firstTool, second}) {
            if (other != nullptr && other != started) {
                EXPECT_FALSE(other->IsRunning()) << other->Path();
            }
        }
    }
    RemoveValue(FirstKey, MsinfoPathValue);
    RemoveValue(SecondKey, SharedToolsMsinfoValue);
}

TEST(WindowsProgramStart, ReturnsAtOnceWhileTheProgramRunsOn) {
    TempFolder root;
    const StartedProgramCopy program(root.Sub("folder with spaces") / "started program.exe");
    HostProgramStarter starter;
    starter.Start(program.Path().string(), WindowShow::NormalFocus);
    // Had the start waited for the program's end, the program would have given
    // up waiting for its release by now and say so.
    ASSERT_TRUE(program.WaitUntilRunning());
    EXPECT_EQ(program.ReleaseAndWaitUntilDone(), "released");
}

TEST(WindowsProgramStart, WhatCannotBeStartedIsAnError) {
    TempFolder root;
    const fs::path notAProgram = root.Path() / "notes.txt";
    std::ofstream(notAProgram) << "not a program";
    HostProgramStarter starter;
    for (const std::string& path : {(root.Path() / "absent.exe").string(), std::string(),
                                    root.Path().string(), notAProgram.string()}) {
        SCOPED_TRACE(path);
        EXPECT_THROW(starter.Start(path, WindowShow::NormalFocus), ProgramStartError);
    }
}

TEST(WindowsFileTest, OnlyOrdinaryFilesMatch) {
    TempFolder root;
    struct Entry {
        const char* name;
        DWORD attributes; // 0: a folder
        const char* expected;
    };
    const Entry entries[] = {
        {"ORDINARY.EXE", FILE_ATTRIBUTE_NORMAL, "ORDINARY.EXE"},
        {"READONLY.EXE", FILE_ATTRIBUTE_READONLY, "READONLY.EXE"},
        {"HIDDEN.EXE", FILE_ATTRIBUTE_HIDDEN, ""},
        {"SYSTEM.EXE", FILE_ATTRIBUTE_SYSTEM, ""},
        {"FOLDER.EXE", 0, ""},
    };
    HostFileFinder files;
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.name);
        const fs::path path = root.Path() / entry.name;
        if (entry.attributes == 0) {
            fs::create_directory(path);
        } else {
            std::ofstream(path) << "x";
            SetFileAttributesA(path.string().c_str(), entry.attributes);
        }
        EXPECT_EQ(files.FindOrdinaryFile(path.string()), entry.expected);
        // The name as the file system spells it, whatever case the path used.
        if (*entry.expected != '\0') {
            std::string lower = path.string();
            for (char& ch : lower) {
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            }
            EXPECT_EQ(files.FindOrdinaryFile(lower), entry.expected);
        }
        SetFileAttributesA(path.string().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    EXPECT_EQ(files.FindOrdinaryFile((root.Path() / "ABSENT.EXE").string()), "");
}

} // namespace
} // namespace qv4130::testing
