#pragma once

#include <string>
#include <vector>

namespace qv4130::testing {

// reg.exe, as a test would type it; fails the calling test when reg.exe does.
void Reg(const std::vector<std::string>& arguments);

// A registry value planted for one test with "reg add" and deleted again when
// the object goes. `key` is written as reg.exe takes it ("HKCU\\Software\\...").
class PlantedValue {
public:
    // reg add KEY /v NAME /t TYPE /d DATA /f
    PlantedValue(std::string key, std::string name, const std::string& type,
                 const std::string& data);
    // Exact bytes, for data reg.exe can't store (text without its closing NUL,
    // empty data); written with RegSetValueExA.
    PlantedValue(std::string key, std::string name, unsigned long type,
                 const std::vector<unsigned char>& bytes);
    ~PlantedValue();
    PlantedValue(const PlantedValue&) = delete;
    PlantedValue& operator=(const PlantedValue&) = delete;

private:
    std::string key_;
    std::string name_;
};

// Removes a value (if it is there), so that a test starts without it.
void RemoveValue(const std::string& key, const std::string& name);

// Wine reports the Windows version its registry names for a program, here under
// HKCU\Software\Wine\AppDefaults\<program>: for this program only, so tests run
// side by side don't see each other's version. `version` is Wine's name for it
// ("win98", "nt40", "win2k", "winxp", "win7", "win10").
class WineVersionFor {
public:
    WineVersionFor(std::string programFileName, const std::string& version);
    ~WineVersionFor();
    WineVersionFor(const WineVersionFor&) = delete;
    WineVersionFor& operator=(const WineVersionFor&) = delete;

private:
    std::string key_;
};

// The same for every program of the prefix: HKCU\Software\Wine, Version. Programs
// with a version of their own (above) keep theirs.
class WineVersionForAll {
public:
    explicit WineVersionForAll(const std::string& version);
    ~WineVersionForAll();
    WineVersionForAll(const WineVersionForAll&) = delete;
    WineVersionForAll& operator=(const WineVersionForAll&) = delete;
};

} // namespace qv4130::testing
