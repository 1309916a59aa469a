#pragma once

#include <filesystem>
#include <string>

namespace qv4130::testing {

// A fresh folder under the system's temporary folder, removed with all it holds
// when the object goes.
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

// The folder of the test executable; the probes and the port library doubles
// lie below it.
std::filesystem::path BuildFolder();

struct Ran {
    int exitCode = -1;
    std::string output; // standard output and error together
};

// Runs `commandLine` through cmd.exe and waits for its end.
Ran RunCommand(const std::string& commandLine);

// reg.exe with `arguments` as typed at a prompt; fails the test when it fails.
void Reg(const std::string& arguments);

} // namespace qv4130::testing
