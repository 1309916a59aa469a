#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <thread>

namespace qv4130::testing {

namespace {

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    HANDLE Get() const { return handle_; }
    HANDLE* Out() { return &handle_; }
    void Reset() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

// Quotes one argument the way the C runtime's command-line parser splits it back.
std::string Quote(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

ChildResult Run(const std::string& commandLine, const std::filesystem::path* workingDirectory,
                std::chrono::milliseconds timeout) {
    ChildResult result{0xFFFFFFFF, {}};
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    UniqueHandle readEnd;
    UniqueHandle writeEnd;
    if (!CreatePipe(readEnd.Out(), writeEnd.Out(), &inherit, 0)) {
        ADD_FAILURE() << "CreatePipe failed: " << GetLastError();
        return result;
    }
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    PROCESS_INFORMATION process{};
    std::string mutableCommandLine = commandLine;
    const std::string folder = workingDirectory != nullptr ? workingDirectory->string() : "";
    if (!CreateProcessA(nullptr, mutableCommandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        ADD_FAILURE() << "cannot start " << commandLine << ": error " << GetLastError();
        return result;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    writeEnd.Reset(); // the pipe ends when the child (the only writer left) does

    // Read on a thread of its own, so that a child that never ends can't hold us.
    std::string output;
    std::thread reader([&] {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
            output.append(buffer, got);
        }
    });
    const DWORD waited =
        WaitForSingleObject(processHandle.Get(), static_cast<DWORD>(timeout.count()));
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(processHandle.Get(), 0xFFFFFFFF);
        WaitForSingleObject(processHandle.Get(), INFINITE);
        ADD_FAILURE() << commandLine << " did not end within " << timeout.count() << " ms";
    }
    reader.join();
    DWORD exitCode = 0xFFFFFFFF;
    GetExitCodeProcess(processHandle.Get(), &exitCode);
    result.exitCode = waited == WAIT_OBJECT_0 ? exitCode : 0xFFFFFFFF;
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    result.output = std::move(output);
    return result;
}

} // namespace

ChildResult RunChild(const std::filesystem::path& program,
                     const std::vector<std::string>& arguments,
                     const std::filesystem::path& workingDirectory,
                     std::chrono::milliseconds timeout) {
    std::string commandLine = Quote(program.string());
    for (const std::string& argument : arguments) {
        commandLine += ' ' + Quote(argument);
    }
    return Run(commandLine, &workingDirectory, timeout);
}

ChildResult RunSystemTool(const std::string& tool, const std::vector<std::string>& arguments) {
    std::string commandLine = tool;
    for (const std::string& argument : arguments) {
        commandLine += ' ' + Quote(argument);
    }
    return Run(commandLine, nullptr, std::chrono::seconds(60));
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name,
                                                     const std::optional<std::string>& value)
    : name_(std::move(name)) {
    const DWORD length = GetEnvironmentVariableA(name_.c_str(), nullptr, 0);
    if (length > 0) {
        std::string old(length, '\0');
        old.resize(GetEnvironmentVariableA(name_.c_str(), old.data(), length));
        previous_ = std::move(old);
    }
    SetEnvironmentVariableA(name_.c_str(), value ? value->c_str() : nullptr);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
    SetEnvironmentVariableA(name_.c_str(), previous_ ? previous_->c_str() : nullptr);
}

} // namespace qv4130::testing
