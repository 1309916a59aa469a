#pragma once

#include <stdexcept>
#include <string>

namespace qv4130 {

// A library or one of its functions could not be found. The message names it
// and gives the loader's reason.
class PortLibraryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An open shared library (dlopen / LoadLibraryEx), closed when the object goes.
class SharedLibrary {
public:
    // Opens `name` with the loader's ordinary search on Linux (so LD_LIBRARY_PATH
    // and the program's RUNPATH apply); on Windows only the program's folder and
    // the system folder are searched, never the current directory.
    static SharedLibrary Open(const std::string& name);

    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    ~SharedLibrary();

    // The address of the exported function `symbol`; throws PortLibraryError if absent.
    void* Symbol(const char* symbol) const;

private:
    SharedLibrary(std::string name, void* handle) : name_(std::move(name)), handle_(handle) {}
    void Close() noexcept;

    std::string name_;
    void* handle_ = nullptr;
};

} // namespace qv4130
