// Makes the port-library calls named on its command line through the binding,
// exactly as the program binds parllio.dll, and prints what happened: each
// call's answer or error, where the library was loaded from and the library's
// own log of the calls it received. The loader tests copy it into folders of
// their making and read its output.
#include "board/DynamicPortLibrary.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

std::filesystem::path ModulePath(HMODULE module) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    return std::filesystem::path(std::string(path, length));
}

// Where the parllio.dll in this process came from, if one is loaded.
std::string LoadedFrom() {
    HMODULE library = GetModuleHandleA("parllio.dll");
    if (library == nullptr) {
        return "not loaded";
    }
    const std::filesystem::path besideProgram = ModulePath(nullptr).parent_path() / "parllio.dll";
    std::error_code error;
    if (std::filesystem::equivalent(ModulePath(library), besideProgram, error)) {
        return "the program's folder";
    }
    return ModulePath(library).string();
}

std::string LibraryLog() {
    HMODULE library = GetModuleHandleA("parllio.dll");
    if (library == nullptr) {
        return "";
    }
    using LogFunction = const char* (*)();
    auto log = reinterpret_cast<LogFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "ParllioTest_Log")));
    return log != nullptr ? log() : "<no log>";
}

void Call(qv4130::PortLibrary& library, const std::string& call) {
    if (call == "count") {
        std::printf("count -> %d\n", static_cast<int>(library.GetParallelPortCount()));
    } else if (call == "claim") {
        std::printf("claim -> %d\n", static_cast<int>(library.ClaimParallelPort(1, -1) & 0xFFFF));
    } else if (call == "info") {
        ParallelPortInfo info{sizeof(ParallelPortInfo), 0, 0};
        const int answer = static_cast<int>(library.GetParallelPortInfo(1, &info) & 0xFFFF);
        std::printf("info -> %d, base %d\n", answer, static_cast<int>(info.base_address));
    } else if (call == "in") {
        std::printf("in 890 -> %d\n", static_cast<int>(library.InByte(890)));
    } else if (call == "out") {
        library.OutByte(888, 20);
        std::printf("out 888 20\n");
    } else {
        std::printf("unknown call %s\n", call.c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    qv4130::DynamicPortLibrary library;
    std::printf("before the first call: %s\n", LoadedFrom().c_str());
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        try {
            Call(library, argv[i]);
        } catch (const qv4130::PortLibraryError& error) {
            std::printf("%s failed: %s\n", argv[i], error.what());
            ++failures;
        }
    }
    std::printf("loaded from: %s\n", LoadedFrom().c_str());
    std::printf("log: %s\n", LibraryLog().c_str());
    return failures;
}
