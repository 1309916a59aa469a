#include "PlantedRegistry.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace qv4130::testing {

namespace {

// "HKLM\\SOFTWARE\\x" -> HKEY_LOCAL_MACHINE and "SOFTWARE\\x".
std::pair<HKEY, std::string> SplitRoot(const std::string& key) {
    const size_t slash = key.find('\\');
    const std::string root = key.substr(0, slash);
    const std::string path = slash == std::string::npos ? "" : key.substr(slash + 1);
    if (root == "HKLM") {
        return {HKEY_LOCAL_MACHINE, path};
    }
    if (root == "HKCU") {
        return {HKEY_CURRENT_USER, path};
    }
    ADD_FAILURE() << "unknown registry root in " << key;
    return {HKEY_CURRENT_USER, path};
}

} // namespace

void Reg(const std::vector<std::string>& arguments) {
    const ChildResult result = RunSystemTool("reg.exe", arguments);
    EXPECT_EQ(result.exitCode, 0u) << "reg " << arguments.front() << ": " << result.output;
}

PlantedValue::PlantedValue(std::string key, std::string name, const std::string& type,
                           const std::string& data)
    : key_(std::move(key)), name_(std::move(name)) {
    Reg({"add", key_, "/v", name_, "/t", type, "/d", data, "/f"});
}

PlantedValue::PlantedValue(std::string key, std::string name, unsigned long type,
                           const std::vector<unsigned char>& bytes)
    : key_(std::move(key)), name_(std::move(name)) {
    const auto [root, path] = SplitRoot(key_);
    HKEY handle = nullptr;
    const LONG created = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                         &handle, nullptr);
    if (created != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot create " << key_ << ": " << created;
        return;
    }
    EXPECT_EQ(RegSetValueExA(handle, name_.c_str(), 0, type, bytes.data(),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS)
        << key_ << "\\" << name_;
    RegCloseKey(handle);
}

PlantedValue::~PlantedValue() {
    RemoveValue(key_, name_);
}

void RemoveValue(const std::string& key, const std::string& name) {
    const auto [root, path] = SplitRoot(key);
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &handle) == ERROR_SUCCESS) {
        RegDeleteValueA(handle, name.c_str());
        RegCloseKey(handle);
    }
}

WineVersionFor::WineVersionFor(std::string programFileName, const std::string& version)
    : key_("HKCU\\Software\\Wine\\AppDefaults\\" + std::move(programFileName)) {
    Reg({"add", key_, "/v", "Version", "/d", version, "/f"});
}

WineVersionFor::~WineVersionFor() {
    RunSystemTool("reg.exe", {"delete", key_, "/f"});
}

WineVersionForAll::WineVersionForAll(const std::string& version) {
    Reg({"add", "HKCU\\Software\\Wine", "/v", "Version", "/d", version, "/f"});
}

WineVersionForAll::~WineVersionForAll() {
    RemoveValue("HKCU\\Software\\Wine", "Version");
}

} // namespace qv4130::testing
