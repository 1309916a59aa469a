// Start-up with the real main window: its load handler's writes fall where the
// first touch of the window puts them.
#include "StartupTimeline.h"
#include "board/Declare.h"
#include "ui/LazyMainWindow.h"

#include <QAction>
#include <QTimer>
#include <gtest/gtest.h>

namespace qv4130 {
namespace {

using namespace testing;

constexpr std::int32_t ControlStartsAs = 0xFF;

struct ItemState {
    bool enabled;
    bool checked;
    bool operator==(const ItemState&) const = default;
};

void PrintTo(const ItemState& item, std::ostream* os) {
    *os << (item.enabled ? "enabled" : "disabled") << (item.checked ? " checked" : "");
}

struct WindowRun {
    std::vector<Event> events;
    SharedState state;
    std::int32_t dataRegister = -1;
    std::vector<ItemState> items;
    bool shownModal = false;
};

WindowRun Start(OsVersionInfo version, std::int32_t infoResult, std::int32_t base,
                const std::string& arguments = "/SS") {
    RecordingPortLibrary port;
    port.infoResult = infoResult;
    port.infoBaseAddress = base;
    for (std::int32_t control : {634, 702, 890, 958}) {
        port.registers[control] = ControlStartsAs;
    }
    RecordingMessageSink messages;
    Timeline timeline(port, messages);
    FixedOsVersion os(version);
    WindowRun run;
    LazyMainWindow window(port, run.state, messages, {}, {[] {}, [] {}});

    // Close the window once it is up, as the operator would with its close box.
    QTimer::singleShot(0, [&] {
        MainForm* form = window.Loaded();
        if (form == nullptr) {
            ADD_FAILURE() << "the window was shown without being loaded";
            return;
        }
        run.shownModal = form->isVisible() && form->windowModality() == Qt::ApplicationModal;
        form->close();
    });
    StartupContext context{port, run.state, messages, os, window, arguments, {}};
    Main(context);

    run.events = timeline.Events();
    run.dataRegister = port.registers.count(run.state.PortAddress) != 0
                           ? port.registers[run.state.PortAddress]
                           : -1;
    for (const char* name : {"MnuLPT1", "MnuLPT2", "MnuPRN"}) {
        const auto* item = window.Loaded()->findChild<QAction*>(name);
        run.items.push_back({item->isEnabled(), item->isChecked()});
    }
    return run;
}

// The window's load: direction bit cleared, then reset released and powered up.
std::vector<Event> WindowLoad(std::int32_t base, std::int32_t controlBefore) {
    return {In(base + 2), Out(base + 2, controlBefore & 0xDF), Out(base, 0x14)};
}
std::vector<Event> ControlStep(std::int32_t base, std::int32_t controlBefore) {
    return {In(base + 2), Out(base + 2, controlBefore & 0xD4)};
}
std::vector<Event> Join(std::initializer_list<std::vector<Event>> parts) {
    std::vector<Event> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}
ShownMessage StatusBox(const std::string& text) {
    return {text, "Show Status", MessageIcon::Information};
}

constexpr ItemState Plain{true, false};
constexpr ItemState Marked{true, true};
constexpr ItemState Greyed{false, false};

TEST(StartupWindow, FixedAddressReleasesResetLastAndMarksLpt1) {
    const WindowRun run = Start(Windows98, 1, 632);
    EXPECT_EQ(run.events,
              Join({ControlStep(888, ControlStartsAs),
                    {StatusBox("Windows Version:Windows 98\rPort Address:0x378"), Out(888, 6)},
                    WindowLoad(888, ControlStartsAs & 0xD4)}));
    EXPECT_EQ(run.dataRegister, 0x14);
    EXPECT_EQ(run.items, (std::vector<ItemState>{Marked, Plain, Plain}));
    EXPECT_TRUE(run.shownModal);
    EXPECT_EQ(run.state.DevicePowered, 1);
}

TEST(StartupWindow, KnownAddressLoadsFirstSoTheChipIsLeftHeldInReset) {
    struct Row {
        std::int32_t base;
        const char* hex;
        std::vector<ItemState> items;
    };
    const Row rows[] = {
        {632, "278", {Greyed, Marked, Greyed}},
        {888, "378", {Marked, Greyed, Greyed}},
        {956, "3BC", {Greyed, Greyed, Marked}},
    };
    for (const Row& row : rows) {
        const WindowRun run = Start(WindowsXp, 1, row.base);
        EXPECT_EQ(run.events,
                  Join({{Count(), Claim(1, -1), Info(1)},
                        WindowLoad(row.base, ControlStartsAs),
                        ControlStep(row.base, ControlStartsAs & 0xDF),
                        {StatusBox(std::string("Windows Version:Windows 2000\rPort Address:0x") +
                                   row.hex),
                         Out(row.base, 6)}}))
            << "base " << row.base;
        EXPECT_EQ(run.dataRegister, 6) << "base " << row.base;
        EXPECT_EQ(run.items, row.items) << "base " << row.base;
        EXPECT_TRUE(run.shownModal);
    }
}

TEST(StartupWindow, OtherAddressLoadsOnShowAndMarksNothing) {
    const WindowRun run = Start(Windows10, 1, 700);
    EXPECT_EQ(run.events, Join({{Count(), Claim(1, -1), Info(1)},
                                ControlStep(700, ControlStartsAs),
                                {StatusBox("Windows Version:\rPort Address:0x2BC"), Out(700, 6)},
                                WindowLoad(700, ControlStartsAs & 0xD4)}));
    EXPECT_EQ(run.dataRegister, 0x14);
    EXPECT_EQ(run.items, (std::vector<ItemState>{Plain, Plain, Plain}));
}

TEST(StartupWindow, NoPortMeansNoPortIoAtAllButTheWindowStillComesUp) {
    const WindowRun run = Start(OsVersionInfo{}, 0, 888, "");
    EXPECT_EQ(run.events,
              (std::vector<Event>{Count(), Claim(1, -1), Info(1),
                                  ShownMessage{"This PC does not appear to have a Printer Port",
                                               "GetPortAddress Error", MessageIcon::Exclamation}}));
    EXPECT_EQ(run.state.PortAddress, 0);
    EXPECT_EQ(run.items, (std::vector<ItemState>{Plain, Plain, Plain}));
    EXPECT_TRUE(run.shownModal);
    EXPECT_EQ(run.state.DevicePowered, 1);
}

} // namespace
} // namespace qv4130
