#include "Library.h"

#include "D2xx.h"
#include "DriverPortIo.h"
#include "PortBindings.h"
#include "SystemKernel.h"
#include "WindowsModules.h"

namespace parllio {
namespace {

std::wstring Environment(const wchar_t* name) {
    std::wstring value(32767, L'\0'); // the longest value Windows keeps
    const DWORD length =
        GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    value.resize(length < value.size() ? length : 0);
    return value;
}

// %PROGRAMDATA%\parllio\parllio.conf for every program on the PC, then the one
// beside parllio.dll, then the file PARLLIO_CONFIG names; a later file's
// binding of a port replaces an earlier one's.
std::vector<ConfigFile> WindowsConfigFiles(const std::wstring& folder) {
    std::vector<ConfigFile> files;
    if (const std::wstring data = Environment(L"PROGRAMDATA"); !data.empty()) {
        files.push_back({Narrowed(data + L"\\parllio\\parllio.conf"), false});
    }
    if (!folder.empty()) {
        files.push_back({Narrowed(folder + L"parllio.conf"), false});
    }
    if (const std::wstring named = Environment(L"PARLLIO_CONFIG"); !named.empty()) {
        files.push_back({Narrowed(named), true});
    }
    return files;
}

struct Library {
    std::wstring folder = LibraryFolder();
    SystemKernel kernel;
    D2xx ftdi{folder};
    DriverPortIo io{folder};
    PortBindings bindings{kernel, ftdi, WindowsConfigFiles(folder), IdleTick, &io};
    ParallelPorts ports{kernel, bindings};
};

// Holds the library for the rest of the process and never takes it apart.
// Windows runs a DLL's teardown under its loader lock, where the flush thread
// could never be joined (its exit needs that lock too), and at the process's
// end, when Windows has already stopped that thread wherever it was, holding
// whatever lock it held. So parllio.dll stays loaded once used, and the
// system takes back its handles when the process ends. A caller that wants
// an adapter's last bytes sent releases its port (qv4130ctl does); otherwise
// the flush thread has sent them within a fraction of a millisecond of the
// last write.
union Lasting {
    Lasting() : library() { KeepLibraryLoaded(); }
    ~Lasting() {}
    Library library;
};

} // namespace

ParallelPorts& ThePorts() {
    static Lasting lasting;
    return lasting.library.ports;
}

} // namespace parllio
