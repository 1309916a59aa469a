#pragma once

#include "host/SystemInformation.h"
#include "support/RecordingMessageSink.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace qv4130::testing {

// One registry value as stored: its type and its bytes, exactly.
struct StoredValue {
    std::uint32_t type = RegSz;
    std::vector<std::uint8_t> bytes;
};

inline StoredValue Text(const std::string& text, bool withClosingNul = true) {
    StoredValue stored{RegSz, {text.begin(), text.end()}};
    if (withClosingNul) {
        stored.bytes.push_back(0);
    }
    return stored;
}

// Everything starting System Information reaches, in memory, with every call
// logged in order. Keys open only with no more access than `grantedAccess`; a
// value longer than the buffer fails, as it does in the real registry; starting
// fails on an empty path and on the paths in `failing`.
class FakeSystemInformationHost final : public Registry, public FileFinder, public ProgramStarter {
public:
    using Values = std::map<std::string, StoredValue>;
    std::map<std::string, Values> keys; // below HKEY_LOCAL_MACHINE
    std::uint32_t grantedAccess = KeyAllAccess;
    std::set<std::string> ordinaryFiles, failing;
    std::vector<std::string> log;
    RecordingMessageSink messages;

    SystemInformationHost Host() { return {*this, *this, *this, messages}; }

    std::int32_t OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t options,
                         std::uint32_t accessMask, RegistryKeyHandle& handle) override {
        log.push_back("open " + std::to_string(root) + " " + subKey + " " +
                      std::to_string(options) + " " + std::to_string(accessMask));
        const auto key = keys.find(subKey);
        if (key == keys.end() || (accessMask & ~grantedAccess) != 0) {
            return key == keys.end() ? RegistryFileNotFound : 5; // ERROR_ACCESS_DENIED
        }
        handle = reinterpret_cast<RegistryKeyHandle>(&key->second);
        return RegistrySuccess;
    }

    std::int32_t QueryValue(RegistryKeyHandle handle, const std::string& valueName,
                            std::uint32_t& type, std::uint8_t* data, std::uint32_t& size) override {
        log.push_back("query " + valueName + " " + std::to_string(size));
        const Values& values = *reinterpret_cast<const Values*>(handle);
        const auto value = values.find(valueName);
        if (value == values.end()) {
            return RegistryFileNotFound;
        }
        const std::vector<std::uint8_t>& bytes = value->second.bytes;
        const bool fits = bytes.size() <= size;
        type = value->second.type;
        size = static_cast<std::uint32_t>(bytes.size());
        if (fits) {
            std::copy(bytes.begin(), bytes.end(), data);
        }
        return fits ? RegistrySuccess : RegistryMoreData;
    }

    void CloseKey(RegistryKeyHandle) override { log.push_back("close"); }

    std::string FindOrdinaryFile(const std::string& path) override {
        log.push_back("file " + path);
        return ordinaryFiles.contains(path) ? path : std::string();
    }

    void Start(const std::string& path, WindowShow show) override {
        log.push_back("start " + path + " " + std::to_string(static_cast<int>(show)));
        if (path.empty() || failing.contains(path)) {
            throw ProgramStartError("cannot start '" + path + "'");
        }
    }
};

} // namespace qv4130::testing
