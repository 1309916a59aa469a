#pragma once

#include "TempFolder.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qv4130::testing {

struct ChildResult {
    unsigned long exitCode = 0;
    std::string output; // standard output and error together, carriage returns removed
};

// Runs `program` with `arguments` in `workingDirectory`, waits for it to end and
// collects what it printed. Fails the calling test (and returns exit code
// 0xFFFFFFFF) if it can't be started or outlives `timeout`.
ChildResult RunChild(const std::filesystem::path& program,
                     const std::vector<std::string>& arguments,
                     const std::filesystem::path& workingDirectory,
                     std::chrono::milliseconds timeout = std::chrono::seconds(60));

// Runs a program of the system (reg.exe, cmd.exe) found on the search path.
ChildResult RunSystemTool(const std::string& tool, const std::vector<std::string>& arguments);

// Sets an environment variable of this process, inherited by the children it
// starts, for the life of the object; the old value comes back afterwards.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

} // namespace qv4130::testing
