#pragma once

#include "host/FileFinder.h"
#include "host/ProgramStarter.h"
#include "host/Registry.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
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

inline StoredValue Number(std::uint32_t value) { // least significant byte first
    return {RegDword,
            {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
             std::uint8_t(value >> 24)}};
}

// A registry held in memory that logs every call as a line of text. A key opens
// only with no more access than it grants; a value longer than the buffer fails
// with ERROR_MORE_DATA, as the real one does.
class FakeRegistry final : public Registry {
public:
    struct Key {
        std::uint32_t grantedAccess = KeyAllAccess;
        std::map<std::string, StoredValue> values;
    };
    std::map<std::string, Key> keys; // below HKEY_LOCAL_MACHINE
    std::vector<std::string> log;
    std::vector<std::string> keysOpened; // the sub-keys asked for, in order
    std::set<RegistryKeyHandle> open;

    std::int32_t OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t options,
                         std::uint32_t accessMask, RegistryKeyHandle& handle) override {
        log.push_back("open " + std::to_string(root) + " " + subKey + " " +
                      std::to_string(options) + " " + std::to_string(accessMask));
        keysOpened.push_back(subKey);
        const auto key = keys.find(subKey);
        if (root != HkeyLocalMachine || key == keys.end()) {
            return RegistryFileNotFound;
        }
        if ((accessMask & ~key->second.grantedAccess) != 0) {
            return 5; // ERROR_ACCESS_DENIED
        }
        handle = reinterpret_cast<RegistryKeyHandle>(&key->second);
        open.insert(handle);
        return RegistrySuccess;
    }

    std::int32_t QueryValue(RegistryKeyHandle handle, const std::string& valueName,
                            std::uint32_t& type, std::uint8_t* data, std::uint32_t& size) override {
        log.push_back("query " + valueName + " " + std::to_string(size));
        const auto& values = reinterpret_cast<const Key*>(handle)->values;
        const auto value = values.find(valueName);
        if (value == values.end()) {
            return RegistryFileNotFound;
        }
        const std::vector<std::uint8_t>& bytes = value->second.bytes;
        const bool fits = bytes.size() <= size;
        type = value->second.type;
        size = static_cast<std::uint32_t>(bytes.size());
        if (!fits) {
            return RegistryMoreData;
        }
        std::copy(bytes.begin(), bytes.end(), data);
        return RegistrySuccess;
    }

    void CloseKey(RegistryKeyHandle handle) override {
        log.push_back(open.erase(handle) == 1 ? "close" : "close of a key not open");
    }
};

// Files by path, with the kinds that keep a file from being ordinary.
class FakeFileSystem final : public FileFinder {
public:
    enum class Kind { Ordinary, Hidden, Folder };
    std::map<std::string, Kind> entries;
    std::vector<std::string> asked;

    std::string FindOrdinaryFile(const std::string& path) override {
        asked.push_back(path);
        const auto found = entries.find(path);
        if (found == entries.end() || found->second != Kind::Ordinary) {
            return {};
        }
        return path.substr(path.find_last_of('\\') + 1);
    }
};

// Records the programs started; fails, as the host does, on an empty path and
// on any path listed in `failing`.
class RecordingProgramStarter final : public ProgramStarter {
public:
    std::vector<std::pair<std::string, WindowShow>> started;
    std::set<std::string> failing;
    int attempts = 0;

    void Start(const std::string& path, WindowShow show) override {
        ++attempts;
        if (path.empty() || failing.contains(path)) {
            throw ProgramStartError("cannot start '" + path + "'");
        }
        started.emplace_back(path, show);
    }
};

} // namespace qv4130::testing
