#include "TestKit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

namespace qv4130::testing {

TempFolder::TempFolder() {
    static unsigned counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("qv4130-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    // Windows keeps the file of a program that is still on its way out: try
    // again for a little while.
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
        if (!error) {
            return;
        }
        Sleep(100);
    }
}

std::filesystem::path TempFolder::Sub(const std::string& name) const {
    std::filesystem::create_directories(path_ / name);
    return path_ / name;
}

std::filesystem::path BuildFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::filesystem::path(std::string(path, length)).parent_path();
}

Ran RunCommand(const std::string& commandLine) {
    Ran ran;
    FILE* pipe = _popen((commandLine + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << commandLine;
        return ran;
    }
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        ran.output.append(buffer, got);
    }
    ran.exitCode = _pclose(pipe);
    return ran;
}

void Reg(const std::string& arguments) {
    const Ran ran = RunCommand("reg.exe " + arguments);
    EXPECT_EQ(ran.exitCode, 0) << "reg " << arguments << ": " << ran.output;
}

} // namespace qv4130::testing
