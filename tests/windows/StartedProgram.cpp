// A program for the program-start tests to start. It takes no arguments (the
// program start passes none) and talks through files beside itself: it writes
// "<name>.running" at once, then waits for the test to create "<name>.release"
// and finally writes "<name>.done" holding "released", or "timed out" when no
// release came within 30 seconds. A start that returned only once the program
// had ended would therefore leave "timed out" behind.
#include <windows.h>

#include <fstream>
#include <string>

int main() {
    char path[MAX_PATH];
    const std::string self(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    std::ofstream(self + ".running") << GetCurrentProcessId();
    const std::string release = self + ".release";
    const char* outcome = "timed out";
    for (int waited = 0; waited < 30000; waited += 20) {
        if (GetFileAttributesA(release.c_str()) != INVALID_FILE_ATTRIBUTES) {
            outcome = "released";
            break;
        }
        Sleep(20);
    }
    // Written whole under another name first, so a reader never sees half of it.
    std::ofstream(self + ".writing") << outcome;
    MoveFileA((self + ".writing").c_str(), (self + ".done").c_str());
    return 0;
}
