// A program the Windows tests copy into folders of their making and run. With
// "version" it prints the name start-up gives the host it runs on. With no
// arguments, as the program start starts a tool, it writes "<itself>.running"
// holding its process id and stays a minute.
#include "startup/WindowsVersion.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char**) {
    if (argc > 1) {
        const qv4130::OsVersionInfo host = qv4130::MakeHostOsVersionSource()->Query();
        std::printf("%s\n", qv4130::WindowsVersionName(host).c_str());
        return 0;
    }
    char path[MAX_PATH];
    const std::string self(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    std::ofstream(self + ".running") << GetCurrentProcessId();
    Sleep(60000);
}
