#include "StartedProgramCopy.h"

#include "ChildProcess.h"

#include <windows.h>

#include <fstream>
#include <sstream>

namespace qv4130::testing {

namespace {

bool WaitForFile(const std::filesystem::path& file, int milliseconds) {
    for (int waited = 0; waited <= milliseconds; waited += 20) {
        if (std::filesystem::exists(file)) {
            return true;
        }
        Sleep(20);
    }
    return false;
}

} // namespace

StartedProgramCopy::StartedProgramCopy(std::filesystem::path path) : path_(std::move(path)) {
    std::filesystem::copy_file(ExecutableFolder() / "probes" / "started_program.exe", path_);
}

std::filesystem::path StartedProgramCopy::Beside(const char* suffix) const {
    return path_.string() + suffix;
}

bool StartedProgramCopy::IsRunning() const {
    return std::filesystem::exists(Beside(".running"));
}

bool StartedProgramCopy::WaitUntilRunning() const {
    return WaitForFile(Beside(".running"), 30000);
}

std::optional<std::string> StartedProgramCopy::ReleaseAndWaitUntilDone() const {
    if (!IsRunning()) {
        return std::nullopt;
    }
    std::ofstream(Beside(".release")) << "go";
    if (!WaitForFile(Beside(".done"), 40000)) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << std::ifstream(Beside(".done")).rdbuf();
    return text.str();
}

} // namespace qv4130::testing
