#include "host/SystemInformation.h"
#include "HostFakes.h"
#include "support/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <optional>

namespace qv4130::testing {
namespace {

constexpr const char* Key = "SOFTWARE\\Test";
constexpr const char* Value = "PATH";

using Call = RegistryCall::Function;

// ---- GetKeyValue ------------------------------------------------------------

struct LookupCase {
    const char* name;
    std::optional<StoredValue> stored; // nothing: the key exists, the value does not
    std::string keyValOnEntry;
    bool expectedFound;
    std::string expectedKeyVal;
};

class GetKeyValueLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(GetKeyValueLookup, ReadsTheValueAndClosesTheKey) {
    const LookupCase& c = GetParam();
    FakeRegistry registry;
    registry.AddKey(HkeyLocalMachine, Key);
    if (c.stored) {
        registry.SetValue(HkeyLocalMachine, Key, Value, *c.stored);
    }
    std::string keyVal = c.keyValOnEntry;

    EXPECT_EQ(GetKeyValue(registry, HkeyLocalMachine, Key, Value, keyVal), c.expectedFound);
    EXPECT_EQ(keyVal, c.expectedKeyVal);
    ASSERT_EQ(registry.calls.size(), 3u);
    EXPECT_EQ(registry.calls[0], (RegistryCall{Call::Open, HkeyLocalMachine, Key, 0, KeyAllAccess,
                                               0, registry.calls[0].handle}));
    EXPECT_EQ(registry.calls[1],
              (RegistryCall{Call::Query, 0, Value, 0, 0, 1024, registry.calls[0].handle}));
    EXPECT_EQ(registry.calls[2],
              (RegistryCall{Call::Close, 0, {}, 0, 0, 0, registry.calls[0].handle}));
}

const std::string Text1023(1023, 'x');

INSTANTIATE_TEST_SUITE_P(
    Values, GetKeyValueLookup,
    ::testing::Values(LookupCase{"TextWithClosingNul", Text("C:\\Tools\\MSINFO32.EXE"), "", true,
                                 "C:\\Tools\\MSINFO32.EXE"},
                      LookupCase{"TextWithoutClosingNul", Text("C:\\Tools\\MSINFO32.EXE", false),
                                 "", true, "C:\\Tools\\MSINFO32.EXE"},
                      LookupCase{"OneCharacterText", Text("x", false), "", true, "x"},
                      LookupCase{"TextFillingTheBuffer", Text(Text1023), "", true, Text1023},
                      LookupCase{"TextFillingTheBufferWithoutNul", Text(Text1023 + "y", false), "",
                                 true, Text1023 + "y"},
                      LookupCase{"TextTooLongForTheBuffer", Text(Text1023 + "y"), "old", false, ""},
                      LookupCase{"NumberWithZeroTopByteGivesSixDigits", Number(0x00A1B2C3), "",
                                 true, "&hA1B2C3"},
                      LookupCase{"NumberWithTopByteSetGivesEightDigits", Number(0x80000102), "",
                                 true, "&h80000102"},
                      LookupCase{"NumberDigitsFollowTheTextHeldOnEntry", Number(0x12345678), "9",
                                 true, "&h912345678"},
                      LookupCase{"ExpandableTextLeavesTheTextHeldOnEntry",
                                 StoredValue{2, {'%', 'X', '%', 0}}, "kept", true, "kept"},
                      LookupCase{"RawBytesFoundButEmpty", StoredValue{3, {1, 2, 3}}, "", true, ""},
                      LookupCase{"MissingValue", std::nullopt, "old", false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetKeyValue, KeyThatDoesNotOpenWithFullAccessIsNotFoundAndNeverRead) {
    for (const std::uint32_t granted : {0x20019u /* KEY_READ */, 0u}) {
        FakeRegistry registry;
        registry.AddKey(HkeyLocalMachine, Key).grantedAccess = granted;
        registry.SetValue(HkeyLocalMachine, Key, Value, Text("C:\\x"));
        std::string keyVal = "old";

        EXPECT_FALSE(GetKeyValue(registry, HkeyLocalMachine, Key, Value, keyVal));
        EXPECT_EQ(keyVal, "");
        ASSERT_EQ(registry.calls.size(), 1u) << "nothing to read or close after a failed open";
        EXPECT_EQ(registry.calls[0].accessMask, 0x2003Fu);
    }
}

TEST(GetKeyValue, EmptyDataIsAnErrorAndStillClosesTheKey) {
    for (const StoredValue& empty : {StoredValue{RegSz, {}}, StoredValue{RegDword, {}}}) {
        FakeRegistry registry;
        registry.SetValue(HkeyLocalMachine, Key, Value, empty);
        std::string keyVal = "old";

        EXPECT_THROW(GetKeyValue(registry, HkeyLocalMachine, Key, Value, keyVal),
                     RegistryValueError);
        EXPECT_EQ(keyVal, "old");
        EXPECT_TRUE(registry.openHandles.empty());
    }
}

TEST(RegistryValueText, RefusesSizesOutsideTheBuffer) {
    const std::uint8_t buffer[4] = {'a', 'b', 0, 0};
    EXPECT_THROW(RegistryValueText(buffer, 0), RegistryValueError);
    EXPECT_THROW(RegistryValueText(buffer, 5), RegistryValueError);
    EXPECT_EQ(RegistryValueText(buffer, 4), std::string("ab\0", 3));
    EXPECT_EQ(RegistryValueText(buffer, 2), "ab");
}

// ---- StartSysInfo -----------------------------------------------------------

constexpr const char* FirstKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* SecondKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* Unavailable = "System Information Is Unavailable At This Time";

struct SysInfoHost {
    FakeRegistry registry;
    FakeFileSystem files;
    RecordingProgramStarter programs;
    RecordingMessageSink messages;

    void SetFirst(StoredValue v) { registry.SetValue(HkeyLocalMachine, FirstKey, "PATH", v); }
    void SetSecond(StoredValue v) { registry.SetValue(HkeyLocalMachine, SecondKey, "MSINFO", v); }
    void Run() { StartSysInfo({registry, files, programs, messages}); }
    bool ShowedUnavailable() const {
        return messages.boxes ==
               std::vector<ShownMessage>{{Unavailable, "QV4130", MessageIcon::None}};
    }
};

TEST(StartSysInfo, StartsTheFirstLocationsPathWithoutLookingForTheFile) {
    SysInfoHost host;
    host.SetFirst(Text("C:\\Program Files\\MSInfo\\msinfo32.exe"));
    host.SetSecond(Text("C:\\Other"));
    host.Run();

    using Started = std::pair<std::string, WindowShow>;
    EXPECT_EQ(host.programs.started,
              (std::vector<Started>{
                  {"C:\\Program Files\\MSInfo\\msinfo32.exe", WindowShow::NormalFocus}}));
    EXPECT_TRUE(host.files.asked.empty());
    EXPECT_EQ(host.registry.KeysOpened(), std::vector<std::string>{FirstKey});
    EXPECT_TRUE(host.messages.boxes.empty());
    EXPECT_TRUE(host.registry.openHandles.empty());
}

// The first location answered, but nothing could be started from it: the
// message, with no second look.
TEST(StartSysInfo, FirstLocationThatFailsNeverFallsBackToTheSecond) {
    struct Case {
        const char* name;
        StoredValue first;
    };
    const Case cases[] = {
        {"start fails", Text("C:\\Gone\\msinfo32.exe")},
        {"empty data", StoredValue{RegSz, {}}},
        {"other type leaves the path empty", StoredValue{7, {'a', 0, 0}}},
        {"number", Number(5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SysInfoHost host;
        host.SetFirst(c.first);
        host.SetSecond(Text("C:\\MSInfo"));
        host.files.Add("C:\\MSInfo\\MSINFO32.EXE");
        // No program file by either name.
        host.programs.failing = {"C:\\Gone\\msinfo32.exe", "&h000005"};
        host.Run();

        EXPECT_TRUE(host.ShowedUnavailable());
        EXPECT_TRUE(host.programs.started.empty());
        EXPECT_EQ(host.registry.KeysOpened(), std::vector<std::string>{FirstKey});
        EXPECT_TRUE(host.files.asked.empty());
        EXPECT_TRUE(host.registry.openHandles.empty());
    }
}

TEST(StartSysInfo, SecondLocationNamesTheFolderOfTheProgramFile) {
    struct Case {
        const char* name;
        StoredValue second;
        std::optional<FakeFileSystem::Kind> file; // what lies at the expected path
        std::string expectedAsked;
        std::optional<std::string> expectedStarted;
    };
    const Case cases[] = {
        {"file present", Text("C:\\MSInfo"), FakeFileSystem::Kind::Ordinary,
         "C:\\MSInfo\\MSINFO32.EXE", "C:\\MSInfo\\MSINFO32.EXE"},
        {"file absent", Text("C:\\MSInfo"), std::nullopt, "C:\\MSInfo\\MSINFO32.EXE", std::nullopt},
        {"file hidden", Text("C:\\MSInfo"), FakeFileSystem::Kind::Hidden,
         "C:\\MSInfo\\MSINFO32.EXE", std::nullopt},
        {"a folder of that name", Text("C:\\MSInfo"), FakeFileSystem::Kind::Folder,
         "C:\\MSInfo\\MSINFO32.EXE", std::nullopt},
        {"other type looks at the drive's root", StoredValue{2, {'x', 0}},
         FakeFileSystem::Kind::Ordinary, "\\MSINFO32.EXE", "\\MSINFO32.EXE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SysInfoHost host;
        host.SetSecond(c.second);
        if (c.file) {
            host.files.Add(c.expectedAsked, *c.file);
        }
        host.Run();

        EXPECT_EQ(host.registry.KeysOpened(), (std::vector<std::string>{FirstKey, SecondKey}));
        EXPECT_EQ(host.files.asked, std::vector<std::string>{c.expectedAsked});
        if (c.expectedStarted) {
            ASSERT_EQ(host.programs.started.size(), 1u);
            EXPECT_EQ(host.programs.started[0].first, *c.expectedStarted);
            EXPECT_TRUE(host.messages.boxes.empty());
        } else {
            EXPECT_EQ(host.programs.attempts, 0);
            EXPECT_TRUE(host.ShowedUnavailable());
        }
    }
}

TEST(StartSysInfo, NoUsableLocationShowsTheMessage) {
    struct Case {
        const char* name;
        std::uint32_t granted; // access the two keys grant; 0 means the keys are absent
    };
    const Case cases[] = {{"neither key", 0}, {"keys readable only", 0x20019}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SysInfoHost host;
        if (c.granted != 0) {
            host.SetFirst(Text("C:\\MSInfo\\msinfo32.exe"));
            host.SetSecond(Text("C:\\MSInfo"));
            host.registry.AddKey(HkeyLocalMachine, FirstKey).grantedAccess = c.granted;
            host.registry.AddKey(HkeyLocalMachine, SecondKey).grantedAccess = c.granted;
        }
        host.Run();

        EXPECT_EQ(host.registry.KeysOpened(), (std::vector<std::string>{FirstKey, SecondKey}));
        EXPECT_TRUE(host.files.asked.empty());
        EXPECT_EQ(host.programs.attempts, 0);
        EXPECT_TRUE(host.ShowedUnavailable());
    }
}

TEST(StartSysInfo, SecondLocationsStartFailureShowsTheMessage) {
    SysInfoHost host;
    host.SetSecond(Text("C:\\MSInfo"));
    host.files.Add("C:\\MSInfo\\MSINFO32.EXE");
    host.programs.failing.insert("C:\\MSInfo\\MSINFO32.EXE");
    host.Run();

    EXPECT_EQ(host.programs.attempts, 1);
    EXPECT_TRUE(host.ShowedUnavailable());
}

} // namespace
} // namespace qv4130::testing
