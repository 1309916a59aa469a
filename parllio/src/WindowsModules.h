#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

namespace parllio {

// A loaded DLL, freed when the owner goes.
struct FreeModule {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, FreeModule>;

// A DLL the library loads and why it could not.
struct LoadedModule {
    Module module;
    std::string failure; // empty when loaded
};

// The folder parllio.dll itself was loaded from, with its closing backslash.
std::wstring LibraryFolder();

// Keeps parllio.dll loaded until the process ends, whoever frees it.
void KeepLibraryLoaded();

std::wstring Widened(const std::string& utf8);
std::string Narrowed(const std::wstring& wide);

// Windows' text for a system error code, on one line.
std::string SystemErrorText(DWORD code);

// A DLL by name from `folder` (parllio.dll's own), else from the system
// folder, where driver packages install theirs; by path when `name` is one.
// Never from the current folder or PATH, where anyone could plant one.
LoadedModule LoadModule(const std::wstring& folder, const std::string& name);

// The function `name` exports, as a pointer of type F, or null.
template <typename F> F Function(HMODULE module, const char* name) {
    // Through the generic function pointer type, which every function
    // pointer converts to and from without a warning.
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace parllio
