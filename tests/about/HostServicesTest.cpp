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

class HostServices : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir_); }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string Write(const std::string& name, const std::string& content, fs::perms perms) {
        std::ofstream(dir_ / name) << content;
        fs::permissions(dir_ / name, perms);
        return Path(name);
    }

    static bool NoChildLeft() { return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

private:
    fs::path dir_ = fs::temp_directory_path() / ("qv4130-about-" + std::to_string(::getpid()));
};

TEST_F(HostServices, RegistryHasNoKeys) {
    RegistryKeyHandle handle = 0;
    EXPECT_NE(HostRegistry().OpenKey(HkeyLocalMachine, "SOFTWARE", 0, KeyAllAccess, handle),
              RegistrySuccess);
}

TEST_F(HostServices, FileTestMatchesOnlyOrdinaryVisibleFiles) {
    Write("MSINFO32.EXE", "x", fs::perms::owner_read);
    Write(".MSINFO32.EXE", "x", fs::perms::owner_read);
    fs::create_directory(Path("Folder"));
    fs::create_symlink(Path("MSINFO32.EXE"), Path("Link"));

    const std::pair<std::string, std::string> cases[] = {
        {Path("MSINFO32.EXE"), "MSINFO32.EXE"},
        {Path("Link"), "Link"},
        {Path(".MSINFO32.EXE"), ""},
        {Path("Folder"), ""},
        {Path("absent"), ""},
        {Path("MSINFO32.EXE/"), ""},
        {"", ""},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(HostFileFinder().FindOrdinaryFile(path), expected) << path;
    }
}

TEST_F(HostServices, StartedProgramRunsOnItsOwnAndLeavesNoChildBehind) {
    const std::string marker = Path("started");
    const std::string program =
        Write("program", "#!/bin/sh\ntouch '" + marker + "'\n", fs::perms::owner_all);

    HostProgramStarter().Start(program, WindowShow::NormalFocus);

    for (int tries = 0; tries < 500 && !fs::exists(marker); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(fs::exists(marker));
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(HostServices, EveryFailureToStartIsAnError) {
    fs::create_directory(Path("Folder"));
    const std::string cases[] = {
        "",
        Path("absent"),
        Path("Folder"),
        Write("plain", "#!/bin/sh\n", fs::perms::owner_read | fs::perms::owner_write),
        Write("broken", "#!/no/such/shell\n", fs::perms::owner_all),
    };
    for (const std::string& path : cases) {
        EXPECT_THROW(HostProgramStarter().Start(path, WindowShow::NormalFocus), ProgramStartError)
            << path;
    }
    EXPECT_TRUE(NoChildLeft());
}

} // namespace
} // namespace qv4130
