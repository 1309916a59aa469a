// The whole-file writer on Windows: an old file kept until the new one is
// whole, nothing left beside it, a folder refused and a device written in place.
#include "files/WholeFile.h"

#include <gtest/gtest.h>

#include <process.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace qv4130::files {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(WholeFileOnWindows, AFileIsReplacedOnlyWhenWholeAndNothingElseIsTouched) {
    const fs::path folder = fs::temp_directory_path() / ("wholefile-" + std::to_string(_getpid()));
    fs::create_directories(folder);
    const fs::path path = folder / "run.csv";
    std::ofstream(path, std::ios::binary) << "old";
    {
        WholeFile dropped(path.string());
        ASSERT_TRUE(dropped.Write("new, but never committed"));
    }
    EXPECT_EQ(Read(path), "old");
    EXPECT_EQ(SaveWhole(path.string(), "new"), std::error_code());
    EXPECT_EQ(Read(path), "new");
    EXPECT_EQ(Names(folder), std::set<std::string>{"run.csv"});

    EXPECT_NE(SaveWhole(folder.string(), "x"), std::error_code());
    EXPECT_TRUE(fs::is_directory(folder));
    // NUL, Windows' device that takes everything: written as it is, never replaced.
    EXPECT_EQ(SaveWhole("NUL", "x"), std::error_code());
    EXPECT_EQ(Names(folder), std::set<std::string>{"run.csv"});
    EXPECT_EQ(Names(fs::current_path()).count("NUL"), 0u);
    fs::remove_all(folder);
}

} // namespace
} // namespace qv4130::files
