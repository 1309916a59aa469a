#include "HostFakes.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace qv4130::test {
namespace {

// Each case is a pair of registry values and what starting System Information
// then does: the host calls in order, and whether the one message is shown. How
// each kind of value reads, up to the buffer's end, is tests/windows' on Wine's
// own registry.
TEST(StartSysInfo, StartsTheToolFromEitherLocationOrShowsTheOneMessage) {
    const std::string first = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
    const std::string second = "SOFTWARE\\Microsoft\\Shared Tools Location";
    const std::string tools = "C:\\Tools\\msinfo32.exe", inFolder = "C:\\MSInfo\\MSINFO32.EXE";
    // A lookup opens its key below HKEY_LOCAL_MACHINE asking for KEY_ALL_ACCESS, then,
    // if it opens, reads the value into 1024 bytes and closes the key.
    const auto open = [](const std::string& key) {
        return "open -2147483646 " + key + " 0 131135; ";
    };
    const auto read = [&](const std::string& key, const std::string& value) {
        return open(key) + "query " + value + " 1024; close; ";
    };
    const auto start = [](const std::string& path) { return "start " + path + " 1; "; };
    const std::string r1 = read(first, "PATH"), r2 = read(second, "MSINFO");
    const std::string fromFolder = r2 + "file " + inFolder + "; " + start(inFolder);
    const StoredValue folder = Text("C:\\MSInfo"), otherType{7, {'a', 0}};
    constexpr auto none = std::nullopt;
    const struct {
        std::optional<StoredValue> first, second; // "PATH" and "MSINFO"; none: no key
        std::string calls;
        bool message = false;
    } cases[] = {
        // clang-format off
        // The first location is the program file itself, started without a look on disk;
        // a text value is used whole, with its closing NUL or without.
        {Text(tools), folder, r1 + start(tools)},
        {Text(tools, false), folder, r1 + start(tools)},
        // Whatever else the first location gives, the second is never tried.
        {Text("C:\\Gone.exe"), folder, r1 + start("C:\\Gone.exe"), true},
        {StoredValue{RegSz, {}}, folder, r1, true},
        {otherType, folder, r1 + start(""), true},
        {StoredValue{RegDword, {0xC3, 0xB2, 0xA1, 0}}, folder, r1 + start("&hA1B2C3"), true},
        // The second location names the folder that holds the program file.
        {none, folder, open(first) + fromFolder},
        {none, Text("C:\\X"), open(first) + r2 + "file C:\\X\\MSINFO32.EXE; ", true},
        {none, otherType, open(first) + r2 + "file \\MSINFO32.EXE; " + start("\\MSINFO32.EXE")},
        {none, none, open(first) + open(second), true},
        // clang-format on
    };
    const std::vector<ShownMessage> unavailable = {
        {"System Information Is Unavailable At This Time", "QV4130", MessageIcon::None}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.calls);
        FakeSystemInformationHost host;
        if (c.first) {
            host.keys[first] = *c.first;
        }
        if (c.second) {
            host.keys[second] = *c.second;
        }
        host.files = {tools, inFolder, "\\MSINFO32.EXE"};
        StartSysInfo(host.Host());
        EXPECT_EQ(host.log, c.calls);
        EXPECT_EQ(host.messages.boxes, c.message ? unavailable : std::vector<ShownMessage>{});
    }
}

} // namespace
} // namespace qv4130::test
