// Start-up with the real main window, every path: the order of port calls and
// boxes, and where the window's load handler falls among them.
#include "board/Declare.h"
#include "support/FixedOsVersion.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingPortLibrary.h"
#include "ui/LazyMainWindow.h"

#include <QAction>
#include <QTimer>
#include <gtest/gtest.h>

#include <variant>

namespace qv4130 {
namespace {

using namespace testing;
using Event = std::variant<PortCall, ShownMessage>;
using Events = std::vector<Event>;

struct Path {
    const char* name;
    OsVersionInfo version;
    const char* arguments;
    std::int32_t claimResult, infoResult, base;
    Events expected;
    std::uint16_t portAddress;
    const char* items; // per port item: '-' disabled, 'x' marked, '.' plain
};

// The control register starts all ones: start-up clears it with 0xD4, the
// window's load with 0xDF, so the values written tell which came first.
Events Control(std::int32_t base, std::int32_t value, std::int32_t mask) {
    return {In(base + 2), Out(base + 2, value & mask)};
}
Events Load(std::int32_t base, std::int32_t control) {
    Events load = Control(base, control, 0xDF);
    load.push_back(Out(base, 0x14));
    return load;
}
Events Join(std::initializer_list<Events> parts) {
    Events all;
    for (const Events& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}
ShownMessage Status(const std::string& text) {
    return {text, "Show Status", MessageIcon::Information};
}
const ShownMessage ClaimBox{"claim parallel port failed", "QV4130", MessageIcon::None};
const ShownMessage NoPortBox{"This PC does not appear to have a Printer Port",
                             "GetPortAddress Error", MessageIcon::Exclamation};
const Events Query{Count(), Claim(1, -1), Info(1)};

// clang-format off
const Path paths[] = {
    {"Windows 95", {1, 4, 0}, "/SS", 1, 1, 632,
     Join({Control(888, 0xFF, 0xD4),
           {Status("Windows Version:Windows 95\rPort Address:0x378"), Out(888, 6)},
           Load(888, 0xD4)}), 888, "x.."},
    {"Windows 98", {1, 4, 10}, "", 1, 1, 632,
     Join({Control(888, 0xFF, 0xD4), {Out(888, 6)}, Load(888, 0xD4)}), 888, "x.."},
    {"LPT2 found", {2, 4, 0}, "/ss", 1, 1, 632,
     Join({Query, Load(632, 0xFF), Control(632, 0xDF, 0xD4),
           {Status("Windows Version:Windows NT 4.0\rPort Address:0x278"), Out(632, 6)}}),
     632, "-x-"},
    {"LPT1 found", {2, 5, 1}, "X/SSY", 1, 1, 888,
     Join({Query, Load(888, 0xFF), Control(888, 0xDF, 0xD4),
           {Status("Windows Version:Windows 2000\rPort Address:0x378"), Out(888, 6)}}),
     888, "x--"},
    {"PRN found", {2, 6, 1}, "/Ss", 1, 1, 956,
     Join({Query, Load(956, 0xFF), Control(956, 0xDF, 0xD4),
           {Status("Windows Version:\rPort Address:0x3BC"), Out(956, 6)}}),
     956, "--x"},
    {"other address", {1, 4, 90}, "/SS", 1, 1, 700,
     Join({Query, Control(700, 0xFF, 0xD4),
           {Status("Windows Version:\rPort Address:0x2BC"), Out(700, 6)}, Load(700, 0xD4)}),
     700, "..."},
    {"PCI card", {0, 0, 0}, "/SS", 1, 1, 0xD010,
     Join({Query, Control(0xD010, 0xFF, 0xD4),
           {Status("Windows Version:Failed\rPort Address:0xD010"), Out(0xD010, 6)},
           Load(0xD010, 0xD4)}), 0xD010, "..."},
    {"PCI card, negative", {0, 0, 0}, "", 1, 1, -12272,
     Join({Query, Control(0xD010, 0xFF, 0xD4), {Out(0xD010, 6)}, Load(0xD010, 0xD4)}),
     0xD010, "..."},
    {"base out of range", {2, 4, 0}, "/SS", 1, 1, 0xFFFE,
     Join({Query, {NoPortBox, Status("Windows Version:Windows NT 4.0\rPort Address:0x0")}}),
     0, "..."},
    {"no base", {2, 4, 0}, "", 1, 0x10000, 888, Join({Query, {NoPortBox}}), 0, "..."},
    {"claim refused", {2, 4, 0}, "/S S", 0x10000, 1, 888,
     Join({{Count(), Claim(1, -1), ClaimBox, Info(1)}, Load(888, 0xFF),
           Control(888, 0xDF, 0xD4), {Out(888, 6)}}), 888, "x--"},
    {"both refused", {2, 4, 0}, "/SS", 0, 0, 888,
     {Count(), Claim(1, -1), ClaimBox, Info(1), NoPortBox,
      Status("Windows Version:Windows NT 4.0\rPort Address:0x0")}, 0, "..."},
};
// clang-format on

TEST(Startup, EveryPathMakesItsCallsAndShowsItsBoxesInOrder) {
    for (const Path& path : paths) {
        RecordingPortLibrary port;
        port.claimResult = path.claimResult;
        port.infoResult = path.infoResult;
        port.infoBaseAddress = path.base;
        for (std::int32_t control : {634, 702, 890, 958, 0xD012}) {
            port.registers[control] = 0xFF;
        }
        // Boxes go into the same record as the port calls, where they came up.
        RecordingMessageSink messages;
        Events events;
        std::size_t taken = 0;
        auto takeCalls = [&] {
            for (; taken < port.calls.size(); ++taken) {
                events.push_back(port.calls[taken]);
            }
        };
        messages.onShow = [&](const ShownMessage& box) {
            takeCalls();
            events.push_back(box);
        };
        FixedOsVersion os(path.version);
        SharedState state;
        LazyMainWindow window(port, state, messages, {}, {[] {}, [] {}});
        bool shownModal = false;
        QTimer::singleShot(0, [&] {
            shownModal = window.Loaded()->isVisible() &&
                         window.Loaded()->windowModality() == Qt::ApplicationModal;
            window.Loaded()->close();
        });
        StartupContext context{port, state, messages, os, window, path.arguments, {}};

        Main(context);

        takeCalls();
        EXPECT_EQ(events, path.expected) << path.name;
        EXPECT_EQ(state.PortAddress, path.portAddress) << path.name;
        EXPECT_EQ(state.DevicePowered, 1) << path.name;
        EXPECT_TRUE(shownModal) << path.name;
        std::string items;
        for (const char* name : {"MnuLPT1", "MnuLPT2", "MnuPRN"}) {
            const auto* item = window.Loaded()->findChild<QAction*>(name);
            items += !item->isEnabled() ? '-' : item->isChecked() ? 'x' : '.';
        }
        EXPECT_EQ(items, path.items) << path.name;
    }
}

} // namespace
} // namespace qv4130
