#include "SharedLibrary.h"

#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace qv4130 {

namespace {

#if defined(_WIN32)
std::string LastLoaderError() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string reason = length != 0 && text != nullptr ? std::string(text, length)
                                                        : "error " + std::to_string(code);
    if (text != nullptr) {
        LocalFree(text);
    }
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return reason;
}
#else
std::string LastLoaderError() {
    const char* reason = dlerror();
    return reason != nullptr ? reason : "unknown loader error";
}
#endif

} // namespace

SharedLibrary SharedLibrary::Open(const std::string& name) {
#if defined(_WIN32)
    // A DLL planted in the current directory must never be picked up.
    HMODULE handle = LoadLibraryExA(
        name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (handle == nullptr) {
        throw PortLibraryError("cannot load the port library " + name + ": " + LastLoaderError());
    }
    return SharedLibrary(name, reinterpret_cast<void*>(handle));
#else
    dlerror();
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        throw PortLibraryError("cannot load the port library " + name + ": " + LastLoaderError());
    }
    return SharedLibrary(name, handle);
#endif
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : name_(std::move(other.name_)), handle_(std::exchange(other.handle_, nullptr)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        Close();
        name_ = std::move(other.name_);
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

SharedLibrary::~SharedLibrary() {
    Close();
}

void SharedLibrary::Close() noexcept {
    if (handle_ == nullptr) {
        return;
    }
#if defined(_WIN32)
    FreeLibrary(reinterpret_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
    handle_ = nullptr;
}

void* SharedLibrary::Symbol(const char* symbol) const {
#if defined(_WIN32)
    FARPROC address = GetProcAddress(reinterpret_cast<HMODULE>(handle_), symbol);
    if (address == nullptr) {
        throw PortLibraryError("the port library " + name_ + " has no function " + symbol + ": " +
                               LastLoaderError());
    }
    return reinterpret_cast<void*>(address);
#else
    dlerror();
    void* address = dlsym(handle_, symbol);
    if (address == nullptr) {
        throw PortLibraryError("the port library " + name_ + " has no function " + symbol + ": " +
                               LastLoaderError());
    }
    return address;
#endif
}

} // namespace qv4130
