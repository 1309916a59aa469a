// Makes the port-library calls named on its command line through the binding,
// exactly as the program binds parllio.dll, and prints each call's answer or
// error, then the library's own record of the calls it received. The loader
// test copies it into folders of its making and reads what it printed.
#include "board/DynamicPortLibrary.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

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
    }
}

} // namespace

int main(int argc, char** argv) {
    qv4130::DynamicPortLibrary library;
    std::printf("loaded first: %s\n", GetModuleHandleA("parllio.dll") ? "yes" : "no");
    for (int i = 1; i < argc; ++i) {
        try {
            Call(library, argv[i]);
        } catch (const qv4130::PortLibraryError& error) {
            // The system's own reason comes last, in its own words.
            const std::string text = error.what();
            std::printf("%s failed: %s: ...\n", argv[i], text.substr(0, text.rfind(": ")).c_str());
        }
    }
    using LogFunction = const char* (*)();
    HMODULE loaded = GetModuleHandleA("parllio.dll");
    const auto log = loaded ? reinterpret_cast<LogFunction>(reinterpret_cast<void*>(
                                  GetProcAddress(loaded, "ParllioTest_Log")))
                            : nullptr;
    std::printf("log: %s\n", log ? log() : "");
}
