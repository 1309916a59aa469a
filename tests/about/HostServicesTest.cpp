// The host's own registry, file test and program start, on this (non-Windows) host.
#include "host/FileFinder.h"
#include "host/ProgramStarter.h"
#include "host/Registry.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qv4130 {
namespace {

namespace fs = std::filesystem;

// A fresh folder for one test, removed with everything in it afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        path_ = fs::temp_directory_path() /
                ("qv4130-about-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    fs::path operator/(const std::string& name) const { return path_ / name; }

    fs::path Write(const std::string& name, const std::string& content,
                   fs::perms perms = fs::perms::owner_read | fs::perms::owner_write) const {
        const fs::path file = path_ / name;
        std::ofstream(file) << content;
        fs::permissions(file, perms);
        return file;
    }

private:
    static inline int counter_ = 0;
    fs::path path_;
};

TEST(HostRegistry, HasNoKeysHere) {
    HostRegistry registry;
    RegistryKeyHandle handle = 123;
    EXPECT_NE(registry.OpenKey(HkeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", 0,
                               KeyAllAccess, handle),
              RegistrySuccess);
}

TEST(HostFileFinder, MatchesOnlyOrdinaryVisibleFiles) {
    ScratchFolder folder;
    folder.Write("MSINFO32.EXE", "x");
    folder.Write(".MSINFO32.EXE", "x");
    fs::create_directory(folder / "Folder");
    fs::create_symlink(folder / "MSINFO32.EXE", folder / "Link");

    struct Case {
        std::string path;
        std::string expected;
    };
    const Case cases[] = {
        {(folder / "MSINFO32.EXE").string(), "MSINFO32.EXE"},
        {(folder / "Link").string(), "Link"},
        {(folder / ".MSINFO32.EXE").string(), ""},
        {(folder / "Folder").string(), ""},
        {(folder / "Folder/").string(), ""},
        {(folder / "absent").string(), ""},
        {(folder / "MSINFO32.EXE/").string(), ""},
        {"", ""},
    };
    HostFileFinder finder;
    for (const Case& c : cases) {
        EXPECT_EQ(finder.FindOrdinaryFile(c.path), c.expected) << c.path;
    }
}

TEST(HostProgramStarter, StartsTheProgramAndLeavesNoChildBehind) {
    ScratchFolder folder;
    const fs::path marker = folder / "started";
    const fs::path program = folder.Write("program", "#!/bin/sh\ntouch '" + marker.string() + "'\n",
                                          fs::perms::owner_all);

    HostProgramStarter().Start(program.string(), WindowShow::NormalFocus);

    // The program runs on its own; give it a moment to leave its mark.
    for (int tries = 0; tries < 500 && !fs::exists(marker); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(fs::exists(marker));
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "no child of ours may be left to reap";
    EXPECT_EQ(errno, ECHILD);
}

TEST(HostProgramStarter, ReportsEveryFailureAsAnError) {
    ScratchFolder folder;
    const fs::path notExecutable = folder.Write("plain", "#!/bin/sh\n");
    const fs::path noInterpreter =
        folder.Write("broken", "#!/no/such/shell\n", fs::perms::owner_all);
    fs::create_directory(folder / "Folder");

    const std::string cases[] = {
        "",
        (folder / "absent").string(),
        notExecutable.string(),
        noInterpreter.string(),
        (folder / "Folder").string(),
    };
    for (const std::string& path : cases) {
        EXPECT_THROW(HostProgramStarter().Start(path, WindowShow::NormalFocus), ProgramStartError)
            << path;
    }
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

} // namespace
} // namespace qv4130
