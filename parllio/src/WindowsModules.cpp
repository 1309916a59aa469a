#include "WindowsModules.h"

#include <vector>

namespace parllio {

std::wstring LibraryFolder() {
    HMODULE self = nullptr;
    // Any address inside this DLL names it.
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&LibraryFolder), &self) == 0) {
        return {};
    }
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            const std::wstring whole(path.data(), length);
            return whole.substr(0, whole.find_last_of(L"\\/") + 1);
        }
        path.resize(path.size() * 2); // cut short: a longer path than MAX_PATH
    }
}

void KeepLibraryLoaded() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&KeepLibraryLoaded), &self);
}

std::wstring Widened(const std::string& utf8) {
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string Narrowed(const std::wstring& wide) {
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::string SystemErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string reason = length != 0 && text != nullptr ? Narrowed(std::wstring(text, length))
                                                        : "error " + std::to_string(code);
    if (text != nullptr) {
        LocalFree(text);
    }
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
    }
    return reason;
}

LoadedModule LoadModule(const std::wstring& folder, const std::string& name) {
    const std::wstring wide = Widened(name);
    LoadedModule loaded;
    if (wide.find_first_of(L"\\/:") != std::wstring::npos) {
        loaded.module.reset(LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    } else {
        // Without a folder the name alone would be searched for everywhere.
        if (!folder.empty()) {
            loaded.module.reset(
                LoadLibraryExW((folder + wide).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        }
        if (!loaded.module) {
            loaded.module.reset(
                LoadLibraryExW(wide.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
        }
    }
    if (!loaded.module) {
        const DWORD error = GetLastError();
        loaded.failure = error == ERROR_MOD_NOT_FOUND
                             ? "not found beside parllio.dll nor in the system folder"
                             : SystemErrorText(error);
    }
    return loaded;
}

} // namespace parllio
