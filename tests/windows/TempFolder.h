#pragma once

#include <filesystem>
#include <string>

namespace qv4130::testing {

// A fresh, empty folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // A sub-folder, created on the way.
    std::filesystem::path Sub(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// The folder of the running test executable; the probes and doubles lie below it.
std::filesystem::path ExecutableFolder();

} // namespace qv4130::testing
