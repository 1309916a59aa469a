#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace qv4130::testing {

// A copy of the started-program helper (StartedProgram.cpp) at `path`, and the
// files through which it reports: it says it is running, waits for a release
// and says whether the release came.
class StartedProgramCopy {
public:
    explicit StartedProgramCopy(std::filesystem::path path);

    const std::filesystem::path& Path() const { return path_; }

    bool IsRunning() const;
    // Waits up to 30 s for the program to say it is running.
    bool WaitUntilRunning() const;
    // Lets it finish, then waits up to 40 s for its last word: "released", or
    // "timed out" if it had waited for a release in vain; nothing if it never ran.
    std::optional<std::string> ReleaseAndWaitUntilDone() const;

private:
    std::filesystem::path Beside(const char* suffix) const;

    std::filesystem::path path_;
};

} // namespace qv4130::testing
