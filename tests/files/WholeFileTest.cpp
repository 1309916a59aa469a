// What a file the operator names becomes, whatever is at its path: tests run as
// root, where a careless rename replaces a device node, so every node here is
// made in a folder of the test's own.
#include "files/WholeFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <set>
#include <sstream>

namespace qv4130::files {
namespace {

namespace fs = std::filesystem;

const std::string Old = "what the operator had\n";
const std::string New(200000, 'n'); // more than any pipe holds

std::string Contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Reads a FIFO on another thread until its last writer closes it. `keep` is a
// writer of the test's own, for it to close once the save is done, so the reader
// never waits on an open that the save may never make, nor takes an early end
// for the whole.
std::future<std::string> ReadFifo(const fs::path& path, FileDescriptor& keep) {
    FileDescriptor end(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    keep = FileDescriptor(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    ::fcntl(end.Get(), F_SETFL, 0);
    return std::async(std::launch::async, [end = std::move(end)] {
        std::string read;
        char piece[4096];
        for (ssize_t got; (got = ::read(end.Get(), piece, sizeof piece)) > 0;) {
            read.append(piece, static_cast<std::size_t>(got));
        }
        return read;
    });
}

// A folder's entries in a few words, in name order: "name=old" or "name=new" a
// file of the old or the new text (any other told by its size: the new text is
// too long to print),
// "name->target" a symbolic link, "name/" a folder, "name|" a FIFO, "name@1,7" a
// device node of those numbers. Nothing of the save's own may be left there.
std::string Listing(const fs::path& folder) {
    std::string listing;
    for (const fs::path& path : std::set<fs::path>(fs::directory_iterator(folder), {})) {
        struct stat status {};
        ::lstat(path.c_str(), &status);
        std::string entry = path.filename().string();
        if (S_ISLNK(status.st_mode)) {
            entry += "->" + fs::read_symlink(path).string();
        } else if (S_ISDIR(status.st_mode)) {
            entry += "/";
        } else if (S_ISFIFO(status.st_mode)) {
            entry += "|";
        } else if (S_ISCHR(status.st_mode)) {
            entry += "@" + std::to_string(major(status.st_rdev)) + "," +
                     std::to_string(minor(status.st_rdev));
        } else {
            const std::string text = Contents(path);
            entry += text == New   ? "=new"
                     : text == Old ? "=old"
                                   : "=" + std::to_string(text.size()) + " bytes";
        }
        listing += (listing.empty() ? "" : " ") + entry;
    }
    return listing;
}

// Makes what `entries` describes, in Listing's words; a file holds the old text.
void Make(const fs::path& folder, const std::string& entries) {
    std::istringstream words(entries);
    for (std::string word; words >> word;) {
        const std::size_t mark = word.find_first_of("=-/|@");
        const fs::path path = folder / word.substr(0, mark);
        const std::string rest = word.substr(mark + 1);
        if (word[mark] == '=') {
            std::ofstream(path) << Old;
        } else if (word[mark] == '-') {
            fs::create_symlink(rest.substr(1), path);
        } else if (word[mark] == '/') {
            fs::create_directory(path);
        } else if (word[mark] == '|') {
            ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
        } else {
            const dev_t device =
                makedev(std::stoi(rest), std::stoi(rest.substr(rest.find(',') + 1)));
            ASSERT_EQ(::mknod(path.c_str(), S_IFCHR | 0644, device), 0) << path;
        }
    }
}

struct Case {
    const char* what;
    std::string before, after; // what the folder holds, in Listing's words
    int error;                 // what the save gives
};

void SaveOverEach(const std::vector<Case>& cases) {
    // A folder of this test's own: ctest runs the tests side by side.
    const fs::path root =
        fs::path(::testing::TempDir()) / ("whole-file-" + std::to_string(::getpid()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path folder = root / c.what;
        const std::string out = (folder / "out").string();
        fs::remove_all(folder);
        fs::create_directories(folder);
        Make(folder, c.before);
        std::future<std::string> read; // destroyed after `writer`, which it waits for
        FileDescriptor writer;
        if (fs::is_fifo(fs::symlink_status(out))) {
            read = ReadFifo(out, writer);
        }
        const std::error_code error = SaveWhole(out, New);
        EXPECT_EQ(error.value(), c.error) << error.message();
        EXPECT_EQ(Listing(folder), c.after);
        if (read.valid()) {
            writer.Close();
            EXPECT_TRUE(read.get() == New);
        }
    }
    fs::remove_all(root);
}

// What a link points to is replaced or made as a file at the path itself is
// (the characterisation's CSV, tests/characterise, is made and replaced whole).
// A full disk (the old file kept, nothing left beside it) and a device node of
// /dev/full's numbers that must stay one are proved where the operator meets
// them: qv4130ctl's characterisation (tests/characterise) and the trace file
// (tests/trace).
// clang-format off
TEST(WholeFile, WhatIsAtThePathIsReplacedWholeOrKept) {
    SaveOverEach({
        {"a link to a file", "out->target target=old", "out->target target=new", 0},
        {"a link to nothing yet", "out->target", "out->target target=new", 0},
        {"a folder", "out/", "out/", EISDIR},
        {"a FIFO", "out|", "out|", 0},
    });
}

// Made as /dev/null's and /dev/full's numbers, in the test's own folder.
TEST(WholeFile, ADeviceNodeIsWrittenInPlaceAndStays) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "making a device node needs root";
    }
    SaveOverEach({
        {"a null device", "out@1,3", "out@1,3", 0},
        {"a link to a full device", "node@1,7 out->node", "node@1,7 out->node", ENOSPC},
    });
}
// clang-format on

} // namespace
} // namespace qv4130::files
