// GetKeyValue through the real advapi32: values planted with reg.exe under a
// key of the test's own, read back as the System Information lookup reads them.
#include "TestKit.h"
#include "host/SystemInformation.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace qv4130::testing {
namespace {

constexpr std::int32_t HkeyCurrentUser = static_cast<std::int32_t>(0x80000001u);

// Exact bytes, for data reg.exe cannot store: text without its closing NUL, no data.
void PlantBytes(const std::string& key, const char* name, std::vector<unsigned char> bytes) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &handle, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(handle, name, 0, REG_SZ, bytes.data(), bytes.size()), ERROR_SUCCESS);
    RegCloseKey(handle);
}

TEST(WindowsRegistryLookup, ReadsEachKindOfValueAsTheLookupNeedsIt) {
    const std::string keyName = "Software\\qv4130-tests\\" + std::to_string(GetCurrentProcessId());
    const std::string key = "HKCU\\" + keyName;
    const std::string text1023(1023, 'x');
    struct Case {
        const char* name;
        const char* type; // nothing: planted byte for byte, or not at all
        std::string data;
        bool found;
        std::string keyVal; // "before" on entry
    };
    const Case cases[] = {
        {"Text", "REG_SZ", "C:\\Program Files\\Tools\\MSINFO32.EXE", true,
         "C:\\Program Files\\Tools\\MSINFO32.EXE"},
        {"Text1023", "REG_SZ", text1023, true, text1023},
        {"Text1024", "REG_SZ", text1023 + "y", false, ""},
        // A number's digits follow what the text held on entry; 0x80000102.
        {"NumberTopByteSet", "REG_DWORD", "2147483906", true, "&hbefore80000102"},
        // 0x00A1B2C3: the top byte 0 reads as a closing NUL and is dropped.
        {"NumberTopByteZero", "REG_DWORD", "10597059", true, "&hbeforeA1B2C3"},
        {"Expandable", "REG_EXPAND_SZ", "C:\\windows\\system32", true, "before"},
        {"Bytes", "REG_BINARY", "0102A0", true, "before"},
        {"TextWithoutNul", nullptr, "C:\\x", true, "C:\\x"},
        {"Missing", nullptr, "", false, ""},
    };
    for (const Case& c : cases) {
        if (c.type != nullptr) {
            Reg("add " + key + " /v " + c.name + " /t " + c.type + " /d \"" + c.data + "\" /f");
        } else if (!c.data.empty()) {
            PlantBytes(keyName, c.name, {c.data.begin(), c.data.end()});
        }
    }
    PlantBytes(keyName, "Empty", {});

    HostRegistry registry;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string keyVal = "before";
        EXPECT_EQ(GetKeyValue(registry, HkeyCurrentUser, keyName, c.name, keyVal), c.found);
        EXPECT_EQ(keyVal, c.keyVal);
    }
    std::string keyVal = "before";
    EXPECT_FALSE(GetKeyValue(registry, HkeyCurrentUser, keyName + "\\Absent", "PATH", keyVal));
    EXPECT_EQ(keyVal, "");
    // Read with success but no data: an error for the caller, not a missing value.
    EXPECT_THROW(GetKeyValue(registry, HkeyCurrentUser, keyName, "Empty", keyVal),
                 RegistryValueError);
    RunCommand("reg.exe delete " + key + " /f");
}

} // namespace
} // namespace qv4130::testing
