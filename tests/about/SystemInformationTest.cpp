#include "host/SystemInformation.h"
#include "HostFakes.h"
#include "support/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <optional>

namespace qv4130::testing {
namespace {

using Strings = std::vector<std::string>;
const std::string Text1023(1023, 'x');
const Strings ReadAndClosed = {"open -2147483646 SOFTWARE\\T 0 131135", "query V 1024", "close"};

struct LookupCase {
    const char* name;
    std::optional<StoredValue> stored; // nothing: the key is there, the value is not
    std::string keyValOnEntry;
    bool expectedFound;
    std::string expectedKeyVal;
};

// Named in test output by its case name, not by a dump of its bytes.
void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class GetKeyValueLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(GetKeyValueLookup, ReadsTheValueIntoTheBufferAndClosesTheKey) {
    const LookupCase& c = GetParam();
    FakeRegistry registry;
    registry.keys["SOFTWARE\\T"];
    if (c.stored) {
        registry.keys["SOFTWARE\\T"].values["V"] = *c.stored;
    }
    std::string keyVal = c.keyValOnEntry;

    EXPECT_EQ(GetKeyValue(registry, HkeyLocalMachine, "SOFTWARE\\T", "V", keyVal), c.expectedFound);
    EXPECT_EQ(keyVal, c.expectedKeyVal);
    EXPECT_EQ(registry.log, ReadAndClosed);
}

INSTANTIATE_TEST_SUITE_P(
    Values, GetKeyValueLookup,
    ::testing::Values(
        LookupCase{"TextWithClosingNul", Text("C:\\MSINFO32.EXE"), "", true, "C:\\MSINFO32.EXE"},
        LookupCase{"TextWithoutClosingNul", Text("C:\\MSINFO32.EXE", false), "", true,
                   "C:\\MSINFO32.EXE"},
        LookupCase{"TextFillingTheBuffer", Text(Text1023), "", true, Text1023},
        LookupCase{"TextOneTooLongForTheBuffer", Text(Text1023 + "y"), "old", false, ""},
        LookupCase{"NumberWithZeroTopByteGivesSixDigits", Number(0x00A1B2C3), "", true, "&hA1B2C3"},
        LookupCase{"NumberWithTopByteSetGivesEightDigits", Number(0x80000102), "", true,
                   "&h80000102"},
        LookupCase{"NumberDigitsFollowTheTextHeldOnEntry", Number(0x12345678), "9", true,
                   "&h912345678"},
        LookupCase{"ExpandableTextIsFoundButLeavesTheText", StoredValue{2, {'%', 'X', '%', 0}},
                   "kept", true, "kept"},
        LookupCase{"MissingValue", std::nullopt, "old", false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetKeyValue, KeyThatDoesNotOpenWithFullAccessIsNotFoundAndNeverRead) {
    FakeRegistry registry;
    registry.keys["SOFTWARE\\T"] = {0x20019 /* KEY_READ */, {{"V", Text("C:\\x")}}};
    std::string keyVal = "old";

    EXPECT_FALSE(GetKeyValue(registry, HkeyLocalMachine, "SOFTWARE\\T", "V", keyVal));
    EXPECT_EQ(keyVal, "");
    EXPECT_EQ(registry.log, Strings{ReadAndClosed[0]});
}

TEST(GetKeyValue, EmptyDataIsAnErrorThatStillClosesTheKey) {
    FakeRegistry registry;
    registry.keys["SOFTWARE\\T"].values["V"] = StoredValue{RegSz, {}};
    std::string keyVal = "old";

    EXPECT_THROW(GetKeyValue(registry, HkeyLocalMachine, "SOFTWARE\\T", "V", keyVal),
                 RegistryValueError);
    EXPECT_EQ(keyVal, "old");
    EXPECT_EQ(registry.log, ReadAndClosed);
}

// ---- StartSysInfo -----------------------------------------------------------

constexpr const char* First = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* Second = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* Folder = "C:\\MSInfo";
constexpr const char* FolderProgram = "C:\\MSInfo\\MSINFO32.EXE";

struct SysInfoCase {
    const char* name;
    std::optional<StoredValue> first, second; // "PATH" and "MSINFO"
    std::uint32_t grantedAccess;
    std::optional<FakeFileSystem::Kind> file; // what lies at FolderProgram or "\MSINFO32.EXE"
    Strings expectedKeys, expectedAsked;
    std::optional<std::string> expectedStarted; // nothing: the message instead
};

void PrintTo(const SysInfoCase& c, std::ostream* os) { *os << c.name; }

class StartSysInfoPath : public ::testing::TestWithParam<SysInfoCase> {};

TEST_P(StartSysInfoPath, StartsTheToolOrShowsTheOneMessage) {
    const SysInfoCase& c = GetParam();
    FakeRegistry registry;
    FakeFileSystem files;
    RecordingProgramStarter programs;
    RecordingMessageSink messages;
    if (c.first) {
        registry.keys[First] = {c.grantedAccess, {{"PATH", *c.first}}};
    }
    if (c.second) {
        registry.keys[Second] = {c.grantedAccess, {{"MSINFO", *c.second}}};
    }
    if (c.file) {
        files.entries = {{FolderProgram, *c.file}, {"\\MSINFO32.EXE", *c.file}};
    }
    programs.failing = {"C:\\Gone.exe", "&h000005"};

    StartSysInfo({registry, files, programs, messages});

    EXPECT_EQ(registry.keysOpened, c.expectedKeys);
    EXPECT_EQ(files.asked, c.expectedAsked);
    EXPECT_TRUE(registry.open.empty());
    if (c.expectedStarted) {
        using Started = std::pair<std::string, WindowShow>;
        EXPECT_EQ(programs.started,
                  (std::vector<Started>{{*c.expectedStarted, WindowShow::NormalFocus}}));
        EXPECT_TRUE(messages.boxes.empty());
    } else {
        EXPECT_TRUE(programs.started.empty());
        EXPECT_EQ(messages.boxes,
                  (std::vector<ShownMessage>{{"System Information Is Unavailable At This Time",
                                              "QV4130", MessageIcon::None}}));
    }
}

using Kind = FakeFileSystem::Kind;
const Strings Both = {First, Second};
const Strings OnlyFirst = {First};
const StoredValue OtherType{7, {'a', 0}};
constexpr auto None = std::nullopt;
constexpr auto Message = std::nullopt; // no program started: the message instead

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Paths, StartSysInfoPath,
    ::testing::Values(
        // The first location is the program file itself, started without a look on disk.
        SysInfoCase{"FirstLocation", Text("C:\\Tools\\msinfo32.exe"), Text(Folder), KeyAllAccess,
                    None, OnlyFirst, {}, "C:\\Tools\\msinfo32.exe"},
        // Whatever the first location gives, a failure there never tries the second.
        SysInfoCase{"FirstLocationStartFails", Text("C:\\Gone.exe"), Text(Folder), KeyAllAccess,
                    Kind::Ordinary, OnlyFirst, {}, Message},
        SysInfoCase{"FirstLocationEmptyData", StoredValue{RegSz, {}}, Text(Folder), KeyAllAccess,
                    Kind::Ordinary, OnlyFirst, {}, Message},
        SysInfoCase{"FirstLocationOtherTypeLeavesThePathEmpty", OtherType, Text(Folder), KeyAllAccess,
                    Kind::Ordinary, OnlyFirst, {}, Message},
        SysInfoCase{"FirstLocationNumber", Number(5), Text(Folder), KeyAllAccess,
                    Kind::Ordinary, OnlyFirst, {}, Message},
        // The second location names the folder that holds the program file.
        SysInfoCase{"SecondLocation", None, Text(Folder), KeyAllAccess,
                    Kind::Ordinary, Both, {FolderProgram}, FolderProgram},
        SysInfoCase{"SecondLocationWithoutTheFile", None, Text(Folder), KeyAllAccess,
                    None, Both, {FolderProgram}, Message},
        SysInfoCase{"SecondLocationWithTheFileHidden", None, Text(Folder), KeyAllAccess,
                    Kind::Hidden, Both, {FolderProgram}, Message},
        SysInfoCase{"SecondLocationWithAFolderOfThatName", None, Text(Folder), KeyAllAccess,
                    Kind::Folder, Both, {FolderProgram}, Message},
        SysInfoCase{"SecondLocationOtherTypeLooksAtTheDrivesRoot", None, OtherType, KeyAllAccess,
                    Kind::Ordinary, Both, {"\\MSINFO32.EXE"}, "\\MSINFO32.EXE"},
        SysInfoCase{"Neither", None, None, KeyAllAccess,
                    Kind::Ordinary, Both, {}, Message},
        SysInfoCase{"KeysReadableOnly", Text("C:\\Tools\\msinfo32.exe"), Text(Folder), 0x20019,
                    Kind::Ordinary, Both, {}, Message}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

} // namespace
} // namespace qv4130::testing
