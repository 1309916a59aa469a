#pragma once

#include "host/FileFinder.h"
#include "host/ProgramStarter.h"
#include "host/Registry.h"

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

StoredValue Text(const std::string& text, bool withClosingNul = true);
StoredValue Number(std::uint32_t value); // REG_DWORD, least significant byte first

// One call into the registry, as a test expects it.
struct RegistryCall {
    enum class Function { Open, Query, Close };
    Function function;
    std::int32_t root = 0;
    std::string keyOrValue; // the sub-key opened or the value queried
    std::uint32_t options = 0;
    std::uint32_t accessMask = 0;
    std::uint32_t bufferSize = 0; // the size on entry to a query
    RegistryKeyHandle handle = 0;

    bool operator==(const RegistryCall&) const = default;
};

// A registry held in memory that records every call. A key opens only when the
// access asked for is within what it grants; a value longer than the buffer
// fails to read with ERROR_MORE_DATA, as the real one does.
class FakeRegistry final : public Registry {
public:
    static constexpr std::int32_t AccessDenied = 5;

    struct Key {
        std::uint32_t grantedAccess = KeyAllAccess;
        std::map<std::string, StoredValue> values;
    };

    Key& AddKey(std::int32_t root, const std::string& name);
    void SetValue(std::int32_t root, const std::string& key, const std::string& value,
                  StoredValue stored);

    std::int32_t OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t options,
                         std::uint32_t accessMask, RegistryKeyHandle& handle) override;
    std::int32_t QueryValue(RegistryKeyHandle handle, const std::string& valueName,
                            std::uint32_t& type, std::uint8_t* data, std::uint32_t& size) override;
    void CloseKey(RegistryKeyHandle handle) override;

    std::vector<RegistryCall> calls;
    std::set<RegistryKeyHandle> openHandles;

    // The sub-keys opened (successfully or not), in order.
    std::vector<std::string> KeysOpened() const;

private:
    std::map<std::pair<std::int32_t, std::string>, Key> keys_;
    std::map<RegistryKeyHandle, const Key*> open_;
    RegistryKeyHandle nextHandle_ = 0x100;
};

// Files by path, with the attributes that keep a file from being ordinary.
class FakeFileSystem final : public FileFinder {
public:
    enum class Kind { Ordinary, Hidden, System, Folder };

    void Add(const std::string& path, Kind kind = Kind::Ordinary) { entries_[path] = kind; }
    std::string FindOrdinaryFile(const std::string& path) override;

    std::vector<std::string> asked;

private:
    std::map<std::string, Kind> entries_;
};

// Records the programs started; fails, as the host does, on an empty path and
// on any path listed in `failing`.
class RecordingProgramStarter final : public ProgramStarter {
public:
    void Start(const std::string& path, WindowShow show) override;

    std::vector<std::pair<std::string, WindowShow>> started;
    std::set<std::string> failing;
    int attempts = 0;
};

} // namespace qv4130::testing
