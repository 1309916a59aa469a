#pragma once

#include "host/SystemInformation.h"
#include "support/RecordingMessageSink.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace qv4130::test {

// One registry value as stored: its type and its bytes, exactly.
struct StoredValue {
    std::uint32_t type = RegSz;
    std::vector<std::uint8_t> bytes;
};

// A text value, with its closing NUL unless told otherwise.
inline StoredValue Text(const std::string& text, bool withClosingNul = true) {
    return {RegSz, {text.c_str(), text.c_str() + text.size() + (withClosingNul ? 1 : 0)}};
}

// Everything starting System Information reaches, in memory, with every call
// logged in order, each ending in "; ". A value longer than the buffer fails, as
// in the real registry. `files` are the ordinary files on disk; only they start.
class FakeSystemInformationHost final : public Registry, public FileFinder, public ProgramStarter {
public:
    std::map<std::string, StoredValue> keys; // below HKEY_LOCAL_MACHINE, each with one value
    std::set<std::string> files;
    std::string log;
    RecordingMessageSink messages;

    SystemInformationHost Host() { return {*this, *this, *this, messages}; }

    std::int32_t OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t options,
                         std::uint32_t accessMask, RegistryKeyHandle& handle) override {
        log += "open " + std::to_string(root) + " " + subKey + " " + std::to_string(options) + " " +
               std::to_string(accessMask) + "; ";
        const auto key = keys.find(subKey);
        if (key == keys.end()) {
            return RegistryFileNotFound;
        }
        handle = reinterpret_cast<RegistryKeyHandle>(&key->second);
        return RegistrySuccess;
    }

    std::int32_t QueryValue(RegistryKeyHandle handle, const std::string& valueName,
                            std::uint32_t& type, std::uint8_t* data, std::uint32_t& size) override {
        log += "query " + valueName + " " + std::to_string(size) + "; ";
        const StoredValue& value = *reinterpret_cast<const StoredValue*>(handle);
        const std::vector<std::uint8_t>& bytes = value.bytes;
        const bool fits = bytes.size() <= size;
        type = value.type;
        size = static_cast<std::uint32_t>(bytes.size());
        if (fits) {
            std::copy(bytes.begin(), bytes.end(), data);
        }
        return fits ? RegistrySuccess : RegistryMoreData;
    }

    void CloseKey(RegistryKeyHandle) override { log += "close; "; }

    std::string FindOrdinaryFile(const std::string& path) override {
        log += "file " + path + "; ";
        return files.contains(path) ? path : std::string();
    }

    void Start(const std::string& path, WindowShow show) override {
        log += "start " + path + " " + std::to_string(static_cast<int>(show)) + "; ";
        if (!files.contains(path)) {
            throw ProgramStartError("cannot start '" + path + "'");
        }
    }
};

} // namespace qv4130::test
