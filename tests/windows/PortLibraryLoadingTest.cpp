// The binding's search for parllio.dll under the real Windows loader. Each case
// lays out a program folder (the probe, maybe a parllio.dll), a current folder
// and a folder on PATH, runs the probe there and reads what it did.
#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>

namespace qv4130::testing {
namespace {

namespace fs = std::filesystem;

enum class Double { Whole, WithoutOutByte };

fs::path DoublePath(Double which) {
    return ExecutableFolder() / "doubles" / (which == Double::Whole ? "whole" : "no-outbyte") /
           "parllio.dll";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

// An expected line ending in "..." matches any line that starts with the rest:
// the loader's own reason follows there, in the system's words.
bool LineMatches(const std::string& expected, const std::string& actual) {
    const std::string ellipsis = "...";
    if (expected.size() >= ellipsis.size() &&
        expected.compare(expected.size() - ellipsis.size(), ellipsis.size(), ellipsis) == 0) {
        const std::string prefix = expected.substr(0, expected.size() - ellipsis.size());
        return actual.size() > prefix.size() + 2 && actual.compare(0, prefix.size(), prefix) == 0;
    }
    return expected == actual;
}

struct Layout {
    const char* name;
    std::optional<Double> besideProgram;
    std::optional<Double> inCurrentFolder;
    std::optional<Double> onPath;
    std::vector<std::string> calls;
    std::vector<std::string> expected;
};

const std::string NotFound = "cannot load the port library parllio.dll: ...";

const Layout layouts[] = {
    {"beside the program: found and every argument passed through",
     Double::Whole,
     std::nullopt,
     std::nullopt,
     {"count", "claim", "info", "in", "out"},
     {"before the first call: not loaded", "count -> 2", "claim -> 0", "info -> 1, base 888",
      "in 890 -> 165", "out 888 20", "loaded from: the program's folder",
      "log: count;claim 1 -1;info 1 12;in 890;out 888 20;"}},
    {"only in the current folder: never loaded",
     std::nullopt,
     Double::Whole,
     std::nullopt,
     {"count", "out"},
     {"before the first call: not loaded", "count failed: " + NotFound, "out failed: " + NotFound,
      "loaded from: not loaded", "log: "}},
    {"only in a folder on PATH: never loaded",
     std::nullopt,
     std::nullopt,
     Double::Whole,
     {"in"},
     {"before the first call: not loaded", "in failed: " + NotFound, "loaded from: not loaded",
      "log: "}},
    {"nowhere: the error names the library",
     std::nullopt,
     std::nullopt,
     std::nullopt,
     {"count"},
     {"before the first call: not loaded", "count failed: " + NotFound, "loaded from: not loaded",
      "log: "}},
    {"beside the program and in the current folder: the program's own wins",
     Double::Whole,
     Double::WithoutOutByte,
     Double::WithoutOutByte,
     {"out"},
     {"before the first call: not loaded", "out 888 20", "loaded from: the program's folder",
      "log: out 888 20;"}},
    {"a function missing: only its own calls fail, the others keep working",
     Double::WithoutOutByte,
     std::nullopt,
     std::nullopt,
     {"in", "out", "count", "out"},
     {"before the first call: not loaded", "in 890 -> 165",
      "out failed: the port library parllio.dll has no function OutByte: ...", "count -> 2",
      "out failed: the port library parllio.dll has no function OutByte: ...",
      "loaded from: the program's folder", "log: in 890;count;"}},
};

TEST(WindowsPortLibraryLoading, FindsParllioOnlyBesideTheProgram) {
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        TempFolder root;
        const fs::path program = root.Sub("program");
        const fs::path current = root.Sub("current");
        const fs::path onPath = root.Sub("on-path");
        fs::copy_file(ExecutableFolder() / "probes" / "port_library_probe.exe",
                      program / "port_library_probe.exe");
        const std::pair<const std::optional<Double>&, fs::path> places[] = {
            {layout.besideProgram, program},
            {layout.inCurrentFolder, current},
            {layout.onPath, onPath}};
        for (const auto& [which, folder] : places) {
            if (which) {
                fs::copy_file(DoublePath(*which), folder / "parllio.dll");
            }
        }
        ScopedEnvironmentVariable path("PATH", onPath.string() + ";C:\\windows\\system32");

        const ChildResult result =
            RunChild(program / "port_library_probe.exe", layout.calls, current);

        const std::vector<std::string> lines = Lines(result.output);
        ASSERT_EQ(lines.size(), layout.expected.size()) << result.output;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_TRUE(LineMatches(layout.expected[i], lines[i]))
                << "line " << i << ": expected \"" << layout.expected[i] << "\", got \"" << lines[i]
                << "\"";
        }
        const auto failures = std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.find(" failed: ") != std::string::npos;
        });
        EXPECT_EQ(result.exitCode, static_cast<unsigned long>(failures));
    }
}

} // namespace
} // namespace qv4130::testing
