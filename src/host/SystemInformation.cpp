#include "SystemInformation.h"

#include <optional>

namespace qv4130 {

namespace {
// Closes an open key on every way out of the lookup, errors included.
class OpenKey {
public:
    OpenKey(Registry& registry, RegistryKeyHandle handle) : registry_(registry), handle_(handle) {}
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey() { registry_.CloseKey(handle_); }
    RegistryKeyHandle Handle() const { return handle_; }

private:
    Registry& registry_;
    RegistryKeyHandle handle_;
};

void AppendHexByte(std::string& text, std::uint8_t byte) {
    constexpr const char* digits = "0123456789ABCDEF";
    text += digits[byte >> 4];
    text += digits[byte & 0x0F];
}

// The tool's program file, or nothing when the registry does not lead to one.
std::optional<std::string> FindSystemInformation(const SystemInformationHost& host) {
    std::string path;
    // This value is the program file itself and is trusted without a look on disk.
    if (GetKeyValue(host.registry, HkeyLocalMachine, MsinfoKey, MsinfoPathValue, path)) {
        return path;
    }
    if (GetKeyValue(host.registry, HkeyLocalMachine, SharedToolsLocationKey, SharedToolsMsinfoValue,
                    path)) {
        const std::string program = path + MsinfoProgramFile;
        if (!host.files.FindOrdinaryFile(program).empty()) {
            return program;
        }
    }
    return std::nullopt;
}
} // namespace

std::string RegistryValueText(std::span<const std::uint8_t> buffer, std::uint32_t size) {
    if (size == 0) {
        throw RegistryValueError("the registry value holds no data");
    }
    if (size > buffer.size()) {
        throw RegistryValueError("the registry value is longer than its buffer");
    }
    const std::size_t kept = buffer[size - 1] == 0 ? size - 1 : size;
    return std::string(reinterpret_cast<const char*>(buffer.data()), kept);
}

void StoreRegistryValue(std::uint32_t type, const std::string& text, std::string& keyVal) {
    if (type == RegSz) {
        keyVal = text;
    } else if (type == RegDword) {
        std::string digits = keyVal;
        for (auto byte = text.rbegin(); byte != text.rend(); ++byte) {
            AppendHexByte(digits, static_cast<std::uint8_t>(*byte));
        }
        keyVal = "&h" + digits;
    }
}

bool GetKeyValue(Registry& registry, std::int32_t keyRoot, const std::string& keyName,
                 const std::string& valueName, std::string& keyVal) {
    RegistryKeyHandle handle = 0;
    if (registry.OpenKey(keyRoot, keyName, 0, KeyAllAccess, handle) != RegistrySuccess) {
        keyVal.clear();
        return false;
    }
    const OpenKey key(registry, handle);

    std::uint8_t buffer[RegistryValueBufferSize] = {};
    std::uint32_t size = RegistryValueBufferSize;
    std::uint32_t type = 0;
    if (registry.QueryValue(key.Handle(), valueName, type, buffer, size) != RegistrySuccess) {
        keyVal.clear();
        return false;
    }
    StoreRegistryValue(type, RegistryValueText(buffer, size), keyVal);
    return true;
}

void StartSysInfo(const SystemInformationHost& host) {
    // Whatever goes wrong on the way, a lookup or the start itself, the operator
    // gets the one message and the About window stays as it was.
    try {
        if (const std::optional<std::string> program = FindSystemInformation(host)) {
            host.programs.Start(*program, WindowShow::NormalFocus);
            return;
        }
    } catch (const RegistryValueError&) {
    } catch (const ProgramStartError&) {
    }
    host.messages.ShowMessage(SystemInformationUnavailable, std::nullopt, MessageIcon::None);
}

} // namespace qv4130
