// What a file the operator names becomes, whatever is at its path: tests run as
// root, where a careless rename replaces a device node, so every node here is
// made in a folder of the test's own.
#include "files/WholeFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <thread>

namespace qv4130::files {
namespace {

namespace fs = std::filesystem;

const std::string Old = "what the operator had\n";
const std::string New(200000, 'n'); // more than any pipe holds

std::string Contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

void MakeNode(const fs::path& path, mode_t type, dev_t device) {
    ASSERT_EQ(::mknod(path.c_str(), type | 0644, device), 0) << path;
}

// Saves in a child whose files may grow to `limit` bytes: the disk as good as full.
std::error_code SaveWithLimit(const std::string& path, rlim_t limit) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of killing
        const rlimit small{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &small);
        ::_exit(SaveWhole(path, New).value());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::generic_category()};
}

struct Case {
    const char* what;
    // Puts what is at the folder's "out" before the save.
    std::function<void(const fs::path& folder)> make;
    rlim_t sizeLimit; // 0: none
    int error;        // what the save gives
    // What the folder holds after it: nothing of the save's own is left behind.
    std::set<std::string> names;
    std::function<void(const fs::path& folder)> check;
};

void SaveOverEach(const std::vector<Case>& cases) {
    // A folder of this test's own: ctest runs the tests side by side.
    const fs::path root =
        fs::path(::testing::TempDir()) / ("whole-file-" + std::to_string(::getpid()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path folder = root / c.what;
        fs::remove_all(folder);
        fs::create_directories(folder);
        c.make(folder);
        const std::string out = (folder / "out").string();
        const std::error_code error =
            c.sizeLimit ? SaveWithLimit(out, c.sizeLimit) : SaveWhole(out, New);
        EXPECT_EQ(error.value(), c.error) << error.message();
        EXPECT_EQ(Names(folder), c.names);
        c.check(folder);
    }
    fs::remove_all(root);
}

auto WithOld = [](const fs::path& folder) { std::ofstream(folder / "out") << Old; };
// Compared whole, told by size: the new text is too long to print.
void ExpectNew(const fs::path& path) {
    const std::string got = Contents(path);
    EXPECT_TRUE(got == New) << path << " holds " << got.size() << " bytes";
}
auto IsNew = [](const fs::path& folder) { ExpectNew(folder / "out"); };
auto IsOld = [](const fs::path& folder) { EXPECT_EQ(Contents(folder / "out"), Old); };
auto LinkToNew = [](const fs::path& folder) {
    EXPECT_TRUE(fs::is_symlink(folder / "out"));
    ExpectNew(folder / "target");
};

// Reads a FIFO on a thread until its last writer closes it. The test holds a
// writer of its own until Stop, so the reader never waits on an open that the
// save may never make, nor takes an early end for the whole.
class FifoReader {
public:
    void Start(const fs::path& path) {
        FileDescriptor end(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        ASSERT_TRUE(end.IsOpen());
        keep_ = FileDescriptor(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        ::fcntl(end.Get(), F_SETFL, 0);
        thread_ = std::thread([this, end = std::move(end)] {
            char piece[4096];
            for (ssize_t got; (got = ::read(end.Get(), piece, sizeof piece)) > 0;) {
                read_.append(piece, static_cast<std::size_t>(got));
            }
        });
    }
    std::string Stop() {
        keep_.Close();
        thread_.join();
        return read_;
    }

private:
    FileDescriptor keep_;
    std::thread thread_;
    std::string read_;
};

bool IsNode(const fs::path& path, dev_t device) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISCHR(status.st_mode) &&
           status.st_rdev == device;
}

TEST(WholeFile, WhatIsAtThePathIsReplacedWholeOrKept) {
    FifoReader reader;
    SaveOverEach({
        {"nothing yet", [](const fs::path&) {}, 0, 0, {"out"}, IsNew},
        {"a file", WithOld, 0, 0, {"out"}, IsNew},
        {"a file on a full disk", WithOld, 4096, EFBIG, {"out"}, IsOld},
        {"nothing yet on a full disk", [](const fs::path&) {}, 4096, EFBIG, {}, [](auto&) {}},
        {"a link to a file",
         [](const fs::path& folder) {
             std::ofstream(folder / "target") << Old;
             fs::create_symlink("target", folder / "out");
         },
         0,
         0,
         {"out", "target"},
         LinkToNew},
        {"a link to nothing yet",
         [](const fs::path& folder) { fs::create_symlink("target", folder / "out"); },
         0,
         0,
         {"out", "target"},
         LinkToNew},
        {"a folder",
         [](const fs::path& folder) { fs::create_directory(folder / "out"); },
         0,
         EISDIR,
         {"out"},
         [](const fs::path& folder) { EXPECT_TRUE(fs::is_directory(folder / "out")); }},
        {"a FIFO",
         [&](const fs::path& folder) {
             ASSERT_EQ(::mkfifo((folder / "out").c_str(), 0644), 0);
             reader.Start(folder / "out");
         },
         0,
         0,
         {"out"},
         [&](const fs::path& folder) {
             EXPECT_TRUE(reader.Stop() == New);
             EXPECT_TRUE(fs::is_fifo(fs::symlink_status(folder / "out")));
         }},
    });
}

// Made as /dev/null's and /dev/full's numbers, in the test's own folder.
TEST(WholeFile, ADeviceNodeIsWrittenInPlaceAndStays) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "making a device node needs root";
    }
    SaveOverEach({
        {"a null device",
         [](const fs::path& folder) { MakeNode(folder / "out", S_IFCHR, makedev(1, 3)); },
         0,
         0,
         {"out"},
         [](const fs::path& folder) { EXPECT_TRUE(IsNode(folder / "out", makedev(1, 3))); }},
        {"a full device",
         [](const fs::path& folder) { MakeNode(folder / "out", S_IFCHR, makedev(1, 7)); },
         0,
         ENOSPC,
         {"out"},
         [](const fs::path& folder) { EXPECT_TRUE(IsNode(folder / "out", makedev(1, 7))); }},
        {"a link to a full device",
         [](const fs::path& folder) {
             MakeNode(folder / "node", S_IFCHR, makedev(1, 7));
             fs::create_symlink("node", folder / "out");
         },
         0,
         ENOSPC,
         {"node", "out"},
         [](const fs::path& folder) {
             EXPECT_TRUE(fs::is_symlink(folder / "out"));
             EXPECT_TRUE(IsNode(folder / "node", makedev(1, 7)));
         }},
    });
}

} // namespace
} // namespace qv4130::files
