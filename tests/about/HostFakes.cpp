#include "HostFakes.h"

#include <algorithm>

namespace qv4130::testing {

StoredValue Text(const std::string& text, bool withClosingNul) {
    StoredValue stored{RegSz, std::vector<std::uint8_t>(text.begin(), text.end())};
    if (withClosingNul) {
        stored.bytes.push_back(0);
    }
    return stored;
}

StoredValue Number(std::uint32_t value) {
    StoredValue stored{RegDword, {}};
    for (int shift = 0; shift < 32; shift += 8) {
        stored.bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    return stored;
}

FakeRegistry::Key& FakeRegistry::AddKey(std::int32_t root, const std::string& name) {
    return keys_[{root, name}];
}

void FakeRegistry::SetValue(std::int32_t root, const std::string& key, const std::string& value,
                            StoredValue stored) {
    AddKey(root, key).values[value] = std::move(stored);
}

std::int32_t FakeRegistry::OpenKey(std::int32_t root, const std::string& subKey,
                                   std::uint32_t options, std::uint32_t accessMask,
                                   RegistryKeyHandle& handle) {
    calls.push_back({RegistryCall::Function::Open, root, subKey, options, accessMask, 0, 0});
    const auto found = keys_.find({root, subKey});
    if (found == keys_.end()) {
        return RegistryFileNotFound;
    }
    if ((accessMask & ~found->second.grantedAccess) != 0) {
        return AccessDenied;
    }
    handle = nextHandle_++;
    open_[handle] = &found->second;
    openHandles.insert(handle);
    calls.back().handle = handle;
    return RegistrySuccess;
}

std::int32_t FakeRegistry::QueryValue(RegistryKeyHandle handle, const std::string& valueName,
                                      std::uint32_t& type, std::uint8_t* data,
                                      std::uint32_t& size) {
    calls.push_back({RegistryCall::Function::Query, 0, valueName, 0, 0, size, handle});
    const auto key = open_.find(handle);
    if (key == open_.end()) {
        return 6; // ERROR_INVALID_HANDLE
    }
    const auto value = key->second->values.find(valueName);
    if (value == key->second->values.end()) {
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

void FakeRegistry::CloseKey(RegistryKeyHandle handle) {
    calls.push_back({RegistryCall::Function::Close, 0, {}, 0, 0, 0, handle});
    open_.erase(handle);
    openHandles.erase(handle);
}

std::vector<std::string> FakeRegistry::KeysOpened() const {
    std::vector<std::string> keys;
    for (const RegistryCall& call : calls) {
        if (call.function == RegistryCall::Function::Open) {
            keys.push_back(call.keyOrValue);
        }
    }
    return keys;
}

std::string FakeFileSystem::FindOrdinaryFile(const std::string& path) {
    asked.push_back(path);
    const auto found = entries_.find(path);
    if (found == entries_.end() || found->second != Kind::Ordinary) {
        return {};
    }
    return path.substr(path.find_last_of('\\') + 1);
}

void RecordingProgramStarter::Start(const std::string& path, WindowShow show) {
    ++attempts;
    if (path.empty() || failing.contains(path)) {
        throw ProgramStartError("cannot start '" + path + "'");
    }
    started.emplace_back(path, show);
}

} // namespace qv4130::testing
