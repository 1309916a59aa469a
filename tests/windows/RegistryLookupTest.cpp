// GetKeyValue through the real advapi32: values planted with reg.exe under a
// key of the test's own, read back as the System Information lookup reads them.
#include "ChildProcess.h"
#include "PlantedRegistry.h"
#include "host/SystemInformation.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <optional>

namespace qv4130::testing {
namespace {

constexpr std::int32_t HkeyCurrentUser = static_cast<std::int32_t>(0x80000001u);

const std::string Text1023(1023, 'x');

struct Lookup {
    const char* valueName;
    std::string keyValOnEntry;
    bool expectedFound;
    std::string expectedKeyVal;
};

class RealRegistryLookup : public ::testing::Test {
protected:
    RealRegistryLookup()
        : keyName_("Software\\qv4130-tests\\" + std::to_string(GetCurrentProcessId())),
          key_("HKCU\\" + keyName_) {}

    ~RealRegistryLookup() override { RunSystemTool("reg.exe", {"delete", key_, "/f"}); }

    void Plant(const std::string& name, const std::string& type, const std::string& data) {
        planted_.push_back(std::make_unique<PlantedValue>(key_, name, type, data));
    }
    void PlantBytes(const std::string& name, unsigned long type,
                    const std::vector<unsigned char>& bytes) {
        planted_.push_back(std::make_unique<PlantedValue>(key_, name, type, bytes));
    }

    const std::string keyName_;
    const std::string key_;
    std::vector<std::unique_ptr<PlantedValue>> planted_;
    HostRegistry registry_;
};

TEST_F(RealRegistryLookup, ReadsEachKindOfValueAsTheLookupNeedsIt) {
    Plant("Text", "REG_SZ", "C:\\Program Files\\Tools\\MSINFO32.EXE");
    Plant("Text1023", "REG_SZ", Text1023);
    Plant("Text1024", "REG_SZ", Text1023 + "y");
    Plant("NumberTopByteSet", "REG_DWORD", "2147483906"); // 0x80000102
    Plant("NumberTopByteZero", "REG_DWORD", "10597059");  // 0x00A1B2C3
    Plant("Expandable", "REG_EXPAND_SZ", "%SystemRoot%\\system32");
    Plant("Bytes", "REG_BINARY", "0102A0");
    Plant("Texts", "REG_MULTI_SZ", "one\\0two");
    PlantBytes("TextWithoutNul", REG_SZ, {'C', ':', '\\', 'x'});

    const Lookup lookups[] = {
        {"Text", "before", true, "C:\\Program Files\\Tools\\MSINFO32.EXE"},
        {"Text1023", "before", true, Text1023},
        {"Text1024", "before", false, ""},
        // A number's digits follow what the text held on entry (empty in every
        // lookup the program makes).
        {"NumberTopByteSet", "", true, "&h80000102"},
        {"NumberTopByteSet", "9", true, "&h980000102"},
        // The top byte 0 reads as a closing NUL and is dropped: six digits.
        {"NumberTopByteZero", "", true, "&hA1B2C3"},
        {"Expandable", "before", true, "before"},
        {"Bytes", "before", true, "before"},
        {"Texts", "before", true, "before"},
        {"TextWithoutNul", "before", true, "C:\\x"},
        {"Missing", "before", false, ""},
    };
    for (const Lookup& lookup : lookups) {
        SCOPED_TRACE(lookup.valueName);
        std::string keyVal = lookup.keyValOnEntry;
        EXPECT_EQ(GetKeyValue(registry_, HkeyCurrentUser, keyName_, lookup.valueName, keyVal),
                  lookup.expectedFound);
        EXPECT_EQ(keyVal, lookup.expectedKeyVal);
    }
}

TEST_F(RealRegistryLookup, AMissingKeyIsNotFound) {
    std::string keyVal = "before";
    EXPECT_FALSE(GetKeyValue(registry_, HkeyCurrentUser, keyName_ + "\\Absent", "PATH", keyVal));
    EXPECT_EQ(keyVal, "");
}

TEST_F(RealRegistryLookup, EmptyDataIsAnErrorForTheCaller) {
    PlantBytes("Empty", REG_SZ, {});
    std::string keyVal = "before";
    EXPECT_THROW(GetKeyValue(registry_, HkeyCurrentUser, keyName_, "Empty", keyVal),
                 RegistryValueError);
}

} // namespace
} // namespace qv4130::testing
