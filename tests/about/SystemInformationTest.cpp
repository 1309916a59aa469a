#include "HostFakes.h"

#include <gtest/gtest.h>

#include <optional>

namespace qv4130::testing {
namespace {

using Strings = std::vector<std::string>;
const StoredValue OtherType{7, {'a', 0}};

Strings operator+(Strings calls, const Strings& more) {
    calls.insert(calls.end(), more.begin(), more.end());
    return calls;
}
// The calls of one lookup: the key opened below HKEY_LOCAL_MACHINE asking for
// KEY_ALL_ACCESS, then, if it opens, the value read into 1024 bytes and the key closed.
Strings Open(const std::string& key) {
    return {"open -2147483646 " + key + " 0 131135"};
}
Strings Read(const std::string& key, const std::string& value) {
    return Open(key) + Strings{"query " + value + " 1024", "close"};
}
Strings File(const std::string& path) {
    return {"file " + path};
}
Strings Start(const std::string& path) { // in a normal window
    return {"start " + path + " 1"};
}

// Failures to open or to read with data (no data) are StartSysInfo's cases below.
TEST(GetKeyValue, ReadsTheValueIntoTheBufferAndAlwaysClosesTheKey) {
    struct Case {
        const char* name;
        std::optional<StoredValue> stored; // nothing: the key is there, the value is not
        std::string keyValOnEntry;
        bool found;
        std::string keyValAfter;
    };
    const std::string text1023(1023, 'x');
    // clang-format off
    const Case cases[] = {
        {"text with NUL", Text("C:\\MSINFO32.EXE"), "", true, "C:\\MSINFO32.EXE"},
        {"text without NUL", Text("C:\\MSINFO32.EXE", false), "", true, "C:\\MSINFO32.EXE"},
        {"text filling the buffer", Text(text1023), "", true, text1023},
        {"text one too long", Text(text1023 + "y"), "old", false, ""},
        {"number, top byte 0", StoredValue{RegDword, {0xC3, 0xB2, 0xA1, 0}}, "", true, "&hA1B2C3"},
        // The digits follow whatever the text held on entry.
        {"number, top byte set", StoredValue{RegDword, {2, 1, 0, 0x80}}, "9", true, "&h980000102"},
        {"other type", OtherType, "kept", true, "kept"},
        {"missing value", std::nullopt, "old", false, ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystemInformationHost host;
        host.keys["SOFTWARE\\T"];
        if (c.stored) {
            host.keys["SOFTWARE\\T"]["V"] = *c.stored;
        }
        std::string keyVal = c.keyValOnEntry;
        EXPECT_EQ(GetKeyValue(host, HkeyLocalMachine, "SOFTWARE\\T", "V", keyVal), c.found);
        EXPECT_EQ(keyVal, c.keyValAfter);
        EXPECT_EQ(host.log, Read("SOFTWARE\\T", "V"));
    }
}

TEST(StartSysInfo, StartsTheToolFromEitherLocationOrShowsTheOneMessage) {
    const std::string first = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
    const std::string second = "SOFTWARE\\Microsoft\\Shared Tools Location";
    const std::string tools = "C:\\Tools\\msinfo32.exe", gone = "C:\\Gone.exe";
    const std::string inFolder = "C:\\MSInfo\\MSINFO32.EXE", atRoot = "\\MSINFO32.EXE";
    const StoredValue folder = Text("C:\\MSInfo");
    const Strings r1 = Read(first, "PATH"), r2 = Open(first) + Read(second, "MSINFO");
    const Strings neither = Open(first) + Open(second);
    constexpr auto none = std::nullopt;
    struct Case {
        const char* name;
        std::optional<StoredValue> first, second; // "PATH" and "MSINFO"
        Strings calls;
        bool message = false;
        std::uint32_t granted = KeyAllAccess;
    };
    // clang-format off
    const Case cases[] = {
        // The first location is the program file itself, started without a look on disk.
        {"first", Text(tools), folder, r1 + Start(tools)},
        // Whatever the first location gives, a failure there never tries the second.
        {"first fails to start", Text(gone), folder, r1 + Start(gone), true},
        {"first has no data", StoredValue{RegSz, {}}, folder, r1, true},
        {"first of another type", OtherType, folder, r1 + Start(""), true},
        // The second location names the folder that holds the program file.
        {"second", none, folder, r2 + File(inFolder) + Start(inFolder)},
        {"second without the file", none, Text("C:\\X"), r2 + File("C:\\X\\MSINFO32.EXE"), true},
        {"second of another type", none, OtherType, r2 + File(atRoot) + Start(atRoot)},
        {"neither", none, none, neither, true},
        {"keys readable only", Text(tools), folder, neither, true, 0x20019},
    };
    // clang-format on
    const std::vector<ShownMessage> unavailable = {
        {"System Information Is Unavailable At This Time", "QV4130", MessageIcon::None}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystemInformationHost host;
        host.grantedAccess = c.granted;
        if (c.first) {
            host.keys[first]["PATH"] = *c.first;
        }
        if (c.second) {
            host.keys[second]["MSINFO"] = *c.second;
        }
        host.ordinaryFiles = {inFolder, atRoot};
        host.failing = {gone};

        StartSysInfo(host.Host());

        EXPECT_EQ(host.log, c.calls);
        EXPECT_EQ(host.messages.boxes, c.message ? unavailable : std::vector<ShownMessage>{});
    }
}

} // namespace
} // namespace qv4130::testing
