// Start-up with the real main window, every path with a port: the order of port
// calls and boxes, and where the window's load handler falls among them. With no
// port at all, the built program is run by run_program.sh (no-port).
#include "host/OsVersion.h"
#include "startup/Declare.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingPortLibrary.h"
#include "ui/LazyMainWindow.h"

#include <QAction>
#include <QTimer>
#include <gtest/gtest.h>

#include <variant>

namespace qv4130 {
namespace {

using namespace test;
using Event = std::variant<PortCall, ShownMessage>;
using Events = std::vector<Event>;

// A host that always reports the same version, so a case picks start-up's path.
struct FixedOsVersion final : OsVersionSource {
    OsVersionInfo version;
    OsVersionInfo Query() override { return version; }
};

struct Path {
    const char* name;
    OsVersionInfo version;
    const char* arguments;
    std::int32_t claimResult, infoResult, base;
    const char* items; // per port item: '-' disabled, 'x' marked, '.' plain
    Events expected;
};

// The control register starts all ones: start-up clears it with 0xD4, the
// window's load with 0xDF, so the values written tell which came first.
Events Setup(std::int32_t base, std::int32_t control) {
    return {In(base + 2), Out(base + 2, control & 0xD4)};
}
Events Load(std::int32_t base, std::int32_t control) {
    return {In(base + 2), Out(base + 2, control & 0xDF), Out(base, 0x14)};
}
ShownMessage Status(const std::string& osName, const std::string& hexAddress) {
    return {"Windows Version:" + osName + "\rPort Address:0x" + hexAddress, "Show Status",
            MessageIcon::Information};
}
// The library's reason goes below the box's words, with the remedy of a restart,
// then the way on without a port; the no-port box after it doesn't repeat that.
const char* const RefusedReason = "cannot open /dev/parport0: Permission denied";
const ShownMessage ClaimBox{"claim parallel port failed", "QV4130", MessageIcon::None,
                            std::string(RefusedReason) + "\n\n" + ClaimRestartText + "\n\n" +
                                NoHardwareWayOutText};
const ShownMessage NoPortBox{"This PC does not appear to have a Printer Port",
                             "GetPortAddress Error", MessageIcon::Exclamation, ""};
ShownMessage WithWayOut(ShownMessage box) {
    box.detail = NoHardwareWayOutText;
    return box;
}
const Events Query{Count(), Claim(1, -1), Info(1)};

// clang-format off
const Path paths[] = {
    {"Windows 98", {1, 4, 10}, "/SS", 1, 1, 632, "x..",
     Join({Setup(888, 0xFF), {Status("Windows 98", "378"), Out(888, 6)}, Load(888, 0xD4)})},
    {"LPT2 found", {2, 4, 0}, "X/sSY", 1, 1, 632, "-x-",
     Join({Query, Load(632, 0xFF), Setup(632, 0xDF),
           {Status("Windows NT 4.0", "278"), Out(632, 6)}})},
    {"PCI card", {0, 0, 0}, "/SS", 1, 1, 0xD010, "...",
     Join({Query, Setup(-12272, 0xFF), {Status("Failed", "D010"), Out(-12272, 6)},
           Load(-12272, 0xD4)})}, // 0xD010 reaches the library sign-extended
    {"claim refused", {2, 4, 0}, "/S S", 0x10000, 1, 888, "x--",
     Join({{Count(), Claim(1, -1), ClaimBox, Info(1)}, Load(888, 0xFF), Setup(888, 0xDF),
           {Out(888, 6)}})},
    {"no address", {2, 4, 0}, "", 1, 0, 888, "...",
     Join({Query, {WithWayOut(NoPortBox)}})},
};
// clang-format on

TEST(Startup, EveryPathMakesItsCallsAndShowsItsBoxesInOrder) {
    for (const Path& path : paths) {
        RecordingPortLibrary port;
        port.claimResult = path.claimResult;
        port.infoResult = path.infoResult;
        port.infoBaseAddress = path.base;
        port.lastError = RefusedReason;
        port.registers = {{634, 0xFF}, {890, 0xFF}, {-12270, 0xFF}};
        // Boxes go into the same record as the port calls, where they came up.
        RecordingMessageSink messages;
        Events events;
        const auto takeCalls = [&] {
            for (const PortCall& call : port.Take()) {
                events.push_back(call);
            }
        };
        messages.onShow = [&](const ShownMessage& box) {
            takeCalls();
            events.push_back(box);
        };
        FixedOsVersion os;
        os.version = path.version;
        SharedState state;
        Board board(port, state);
        LazyMainWindow window([&] {
            return std::make_unique<MainForm>(board, messages, ChildWindows{},
                                              MainFormHooks{[] {}, [] {}});
        });
        // Start-up waits for the window, which blocks no other window.
        bool shownModal = false;
        QTimer::singleShot(0, [&] {
            shownModal =
                window.Loaded()->isVisible() && window.Loaded()->windowModality() == Qt::NonModal;
            window.Loaded()->close();
        });
        StartupContext context{port, state, messages, os, window, path.arguments, {}};

        Main(context);

        takeCalls();
        EXPECT_EQ(events, path.expected) << path.name;
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
