// The host's own file test and program start, on this (non-Windows) host.
#include "host/FileFinder.h"
#include "host/ProgramStarter.h"

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
    void SetUp() override { fs::create_directories(dir / "Folder"); }
    void TearDown() override { fs::remove_all(dir); }

    std::string Write(const std::string& name, const std::string& content, fs::perms perms) {
        std::ofstream(dir / name) << content;
        fs::permissions(dir / name, perms);
        return dir / name;
    }

    const fs::path dir = fs::temp_directory_path() / ("qv4130-about-" + std::to_string(::getpid()));
};

TEST_F(HostServices, FileTestMatchesOnlyOrdinaryVisibleFiles) {
    const std::string file = Write("MSINFO32.EXE", "x", fs::perms::owner_read);
    Write(".MSINFO32.EXE", "x", fs::perms::owner_read);
    fs::create_symlink(file, dir / "Link");
    for (const char* name : {"MSINFO32.EXE", "Link"}) {
        EXPECT_EQ(HostFileFinder().FindOrdinaryFile(dir / name), name);
    }
    for (const fs::path& path : {dir / ".MSINFO32.EXE", dir / "Folder", dir / "absent",
                                 fs::path(file + "/"), fs::path()}) {
        EXPECT_EQ(HostFileFinder().FindOrdinaryFile(path), "") << path;
    }
}

TEST_F(HostServices, StartedProgramRunsDetachedAndEveryFailureToStartIsAnError) {
    const fs::path marker = dir / "started";
    HostProgramStarter().Start(
        Write("program", "#!/bin/sh\ntouch '" + marker.string() + "'\n", fs::perms::owner_all),
        WindowShow::NormalFocus);
    for (int tries = 0; tries < 500 && !fs::exists(marker); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(fs::exists(marker));

    for (const std::string& path :
         {std::string(), (dir / "absent").string(), (dir / "Folder").string(),
          Write("plain", "#!/bin/sh\n", fs::perms::owner_read | fs::perms::owner_write),
          Write("broken", "#!/no/such/shell\n", fs::perms::owner_all)}) {
        EXPECT_THROW(HostProgramStarter().Start(path, WindowShow::NormalFocus), ProgramStartError)
            << path;
    }
    // The program is never left behind as our zombie.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

} // namespace
} // namespace qv4130
