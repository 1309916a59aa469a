#include "StartupTimeline.h"
#include "board/Declare.h"

#include <gtest/gtest.h>

#include <string>

namespace qv4130 {
namespace {

using namespace testing;

constexpr std::int32_t ControlStartsAs = 0xFF;

// What start-up leaves behind, and everything it did on the way.
struct StartupRun {
    std::vector<Event> events;
    SharedState state;
    std::string osName;
};

struct Host {
    OsVersionInfo version = WindowsNt4;
    std::string arguments;
    std::int32_t claimResult = 1;
    std::int32_t infoResult = 1;
    std::int32_t base = 888;
};

StartupRun Start(const Host& host) {
    RecordingPortLibrary port;
    port.claimResult = host.claimResult;
    port.infoResult = host.infoResult;
    port.infoBaseAddress = host.base;
    for (std::int32_t control : {634, 702, 890, 958, 0xD012, 0xFFFF}) {
        port.registers[control] = ControlStartsAs;
    }
    RecordingMessageSink messages;
    Timeline timeline(port, messages);
    RecordingMainWindow window(timeline);
    FixedOsVersion os(host.version);
    StartupRun run;
    StartupContext context{port, run.state, messages, os, window, host.arguments, {}};
    Main(context);
    run.events = timeline.Events();
    run.osName = context.OsName;
    return run;
}

ShownMessage StatusBox(const std::string& text) {
    return {text, "Show Status", MessageIcon::Information};
}
const ShownMessage ClaimBox{"claim parallel port failed", "QV4130", MessageIcon::None};
const ShownMessage NoPortBox{"This PC does not appear to have a Printer Port",
                             "GetPortAddress Error", MessageIcon::Exclamation};

// The control register: read, then written back with STROBE, AUTOFEED, SELECT IN
// and the direction bit cleared.
std::vector<Event> ControlStep(std::int32_t base) {
    return {In(base + 2), Out(base + 2, ControlStartsAs & 0xD4)};
}

std::vector<Event> Join(std::initializer_list<std::vector<Event>> parts) {
    std::vector<Event> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST(Startup, FixedAddressOnWindows9xMakesNoClaimAndTouchesNoMenuItem) {
    for (OsVersionInfo version : {Windows95, Windows98}) {
        const StartupRun run = Start({version, "/SS"});
        const std::string name = version == Windows95 ? "Windows 95" : "Windows 98";
        EXPECT_EQ(run.events, Join({ControlStep(888),
                                    {StatusBox("Windows Version:" + name + "\rPort Address:0x378"),
                                     Out(888, 6), Load(), Show()}}))
            << name;
        EXPECT_EQ(run.state.PortAddress, 888);
        EXPECT_EQ(run.osName, name);
    }
}

TEST(Startup, KnownAddressLoadsTheWindowBeforeTheControlStepAndDisablesTheOtherItems) {
    struct Row {
        std::int32_t base;
        PortMenuItem firstDisabled, secondDisabled;
        const char* hex;
    };
    const Row rows[] = {
        {632, PortMenuItem::Lpt1, PortMenuItem::Prn, "278"},
        {888, PortMenuItem::Lpt2, PortMenuItem::Prn, "378"},
        {956, PortMenuItem::Lpt1, PortMenuItem::Lpt2, "3BC"},
    };
    for (const Row& row : rows) {
        const StartupRun run = Start({WindowsNt4, "/ss", 1, 1, row.base});
        EXPECT_EQ(run.events,
                  Join({{Count(), Claim(1, -1), Info(1), Load(), Disable(row.firstDisabled),
                         Disable(row.secondDisabled)},
                        ControlStep(row.base),
                        {StatusBox(std::string("Windows Version:Windows NT 4.0\rPort Address:0x") +
                                   row.hex),
                         Out(row.base, 6), Show()}}))
            << "base " << row.base;
        EXPECT_EQ(run.state.PortAddress, row.base);
    }
}

TEST(Startup, OtherAddressesLeaveTheWindowUntilItIsShown) {
    struct Row {
        std::int32_t reported;
        std::int32_t address;
        const char* hex;
    };
    // 0xD010 is a PCI card, reported either way round.
    for (const Row& row : {Row{700, 700, "2BC"}, Row{0xD010, 0xD010, "D010"},
                           Row{-12272, 0xD010, "D010"}, Row{0xFFFD, 0xFFFD, "FFFD"}}) {
        const StartupRun run = Start({Windows10, "X/SSY", 1, 1, row.reported});
        EXPECT_EQ(run.events,
                  Join({{Count(), Claim(1, -1), Info(1)},
                        ControlStep(row.address),
                        {StatusBox(std::string("Windows Version:\rPort Address:0x") + row.hex),
                         Out(row.address, 6), Load(), Show()}}))
            << "reported " << row.reported;
        EXPECT_EQ(run.state.PortAddress, row.address);
    }
}

TEST(Startup, WithoutAnAddressNoPortIoIsMadeAndTheWarningIsShown) {
    // Refused, refused in the low 16 bits only, or a base no printer port can have.
    const Host hosts[] = {
        {WindowsXp, "/SS", 1, 0, 888},    {WindowsXp, "/SS", 1, 0x10000, 888},
        {WindowsXp, "/SS", 1, 1, 0},      {WindowsXp, "/SS", 1, 1, 2},
        {WindowsXp, "/SS", 1, 1, 0xFFFE}, {WindowsXp, "/SS", 1, 1, 0x10378},
        {WindowsXp, "/SS", 1, 1, -32769},
    };
    for (const Host& host : hosts) {
        const StartupRun run = Start(host);
        EXPECT_EQ(run.events,
                  (std::vector<Event>{Count(), Claim(1, -1), Info(1), NoPortBox,
                                      StatusBox("Windows Version:Windows 2000\rPort Address:0x0"),
                                      Load(), Show()}))
            << "info " << host.infoResult << " base " << host.base;
        EXPECT_EQ(run.state.PortAddress, 0);
    }
}

TEST(Startup, ARefusedClaimIsShownAndTheAddressIsStillAskedFor) {
    // A refusal is judged on the low 16 bits of the answer only.
    for (std::int32_t refused : {0, 0x10000, -65536}) {
        const StartupRun run = Start({WindowsNt4, "", refused, 1, 888});
        EXPECT_EQ(run.events, Join({{Count(), Claim(1, -1), ClaimBox, Info(1), Load(),
                                     Disable(PortMenuItem::Lpt2), Disable(PortMenuItem::Prn)},
                                    ControlStep(888),
                                    {Out(888, 6), Show()}}))
            << "claim answer " << refused;
    }
}

TEST(Startup, BothRefusedShowsTheClaimBoxFirstAndTheStatusBoxLast) {
    const StartupRun run = Start({WindowsNt4, "/SS", 0, 0, 888});
    EXPECT_EQ(run.events,
              (std::vector<Event>{Count(), Claim(1, -1), ClaimBox, Info(1), NoPortBox,
                                  StatusBox("Windows Version:Windows NT 4.0\rPort Address:0x0"),
                                  Load(), Show()}));
}

TEST(Startup, AFailedVersionCallAndUnlistedSystemsTakeTheQueryPath) {
    // Windows Me (platform 1, minor 90), NT 6 and later, and no answer at all.
    for (OsVersionInfo version :
         {OsVersionInfo{1, 4, 90}, OsVersionInfo{2, 6, 0}, OsVersionInfo{0, 0, 0}}) {
        const StartupRun run = Start({version, "", 1, 1, 700});
        ASSERT_FALSE(run.events.empty());
        EXPECT_EQ(run.events.front(), Event(Count())) << version.platformId;
        EXPECT_EQ(run.osName, version.platformId == 0 ? "Failed" : "");
    }
}

TEST(Startup, WithoutTheSwitchNoStatusBoxIsShown) {
    for (const char* arguments : {"", "/S S", "-style fusion"}) {
        const StartupRun run = Start({WindowsNt4, arguments, 1, 1, 700});
        for (const Event& event : run.events) {
            EXPECT_FALSE(std::holds_alternative<ShownMessage>(event)) << arguments;
        }
    }
}

// The record handed to the library: size 12, the other two fields zero.
class RecordInspector final : public PortLibrary {
public:
    explicit RecordInspector(PortLibrary& inner) : inner_(inner) {}
    std::int32_t GetParallelPortCount() override { return inner_.GetParallelPortCount(); }
    std::int32_t ClaimParallelPort(std::int32_t port, std::int32_t flags) override {
        return inner_.ClaimParallelPort(port, flags);
    }
    std::int32_t GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) override {
        seen = *info;
        return inner_.GetParallelPortInfo(port, info);
    }
    std::int32_t InByte(std::int32_t address) override { return inner_.InByte(address); }
    void OutByte(std::int32_t address, std::int32_t value) override {
        inner_.OutByte(address, value);
    }
    ParallelPortInfo seen{-1, -1, -1};

private:
    PortLibrary& inner_;
};

TEST(Startup, ThePortInformationRecordIsHandedOverEmptyWithItsSize) {
    RecordingPortLibrary port;
    RecordInspector inspector(port);
    RecordingMessageSink messages;
    Timeline timeline(port, messages);
    RecordingMainWindow window(timeline);
    FixedOsVersion os(WindowsNt4);
    SharedState state;
    StartupContext context{inspector, state, messages, os, window, "", {}};
    GetPortAddress(context);
    EXPECT_EQ(inspector.seen.size, 12);
    EXPECT_EQ(inspector.seen.base_address, 0);
    EXPECT_EQ(inspector.seen.reserved, 0);
}

} // namespace
} // namespace qv4130
