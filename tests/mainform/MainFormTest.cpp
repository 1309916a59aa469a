#include "ui/MainForm.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingPortLibrary.h"
#include "ui/FormGeometry.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace qv4130 {
namespace {

using namespace testing;
using Calls = std::vector<PortCall>;

class MainFormTest : public ::testing::Test {
protected:
    // Loads the window (its load handler runs now) at `address`, then forgets the load's calls.
    MainForm& Load() {
        const std::uint16_t address = 888;
        port = RecordingPortLibrary();
        port.registers[address + 2] = 0xFF;
        state = SharedState();
        state.PortAddress = address;
        form = std::make_unique<MainForm>(port, state, messages, children, hooks);
        port.calls.clear();
        return *form;
    }
    // Loaded, shown and holding the keyboard.
    QWindow* Active() {
        form->show();
        QApplication::setActiveWindow(form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form->windowHandle();
    }
    QPushButton* Button(const char* name) { return form->findChild<QPushButton*>(name); }
    QAction* Item(const char* name) { return form->findChild<QAction*>(name); }
    void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }
    // Per port item: '-' disabled, 'x' marked, '.' plain.
    std::string Items() {
        std::string items;
        for (const char* name : {"MnuLPT1", "MnuLPT2", "MnuPRN"}) {
            items += !Item(name)->isEnabled() ? '-' : Item(name)->isChecked() ? 'x' : '.';
        }
        return items;
    }

    RecordingPortLibrary port;
    SharedState state;
    RecordingMessageSink messages;
    ChildWindows children;
    int quits = 0;
    // How many port calls had been made at each pause of the sweep.
    std::vector<std::size_t> pauses;
    MainFormHooks hooks{[this] { ++quits; }, [this] { pauses.push_back(port.calls.size()); }};
    std::unique_ptr<MainForm> form;
};

// The sweep's 16 words, 0x00C00 to 0x0FC00.
Calls SweepWrites() {
    Calls all;
    for (std::int32_t channel = 0; channel < 16; ++channel) {
        const Calls word = WordWrites(888, channel * 4096 + 3072);
        all.insert(all.end(), word.begin(), word.end());
    }
    return all;
}

TEST_F(MainFormTest, LayoutFollowsTheDesignInTwipsAndNoCaptionIsClipped) {
    const std::tuple<const char*, const char*, int, int> rows[] = {
        {"Command1", "Mode &1 Operation", 240, 375},
        {"Command6", "Mode &2 Operation", 720, 375},
        {"Command5", "&Reset QV4130", 1200, 375},
        {"CmdPd", "Power Down QV4130", 1680, 375},
        {"Command3", "&About", 2160, 375},
        {"Command2", "&Quit", 2640, 375},
        {"Command4", "Test", 3480, 495},
    };
    MainForm& window = Load();
    EXPECT_EQ(window.windowTitle(), "QV4130");
    const QWidget* client = window.centralWidget();
    EXPECT_EQ(client->size(), QSize(TwipsToPixels(2550, client), TwipsToPixels(3150, client)));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    // Centred by its full size when it loaded.
    const QRect screen = window.screen()->geometry();
    EXPECT_EQ(window.pos(), QPoint((screen.width() - window.width()) / 2,
                                   (screen.height() - window.height()) / 2));
    EXPECT_FALSE(window.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    for (const auto& [name, caption, top, height] : rows) {
        const QPushButton* button = Button(name);
        EXPECT_EQ(button->text(), caption);
        EXPECT_EQ(button->geometry(), QRect(TwipsToPixels(240), TwipsToPixels(top),
                                            TwipsToPixels(2055), TwipsToPixels(height)))
            << name;
        EXPECT_TRUE(button->font().bold() && button->font().pointSizeF() == 8.25) << name;
        // The caption fits inside the button's 2-pixel frame.
        EXPECT_LE(button->fontMetrics().horizontalAdvance(QString(caption).remove('&')) + 4,
                  button->width())
            << caption;
    }
    const QAction* menu = window.menuBar()->actions().value(0);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->text(), "P&rinter Port");
    QStringList items;
    for (const QAction* item : menu->menu()->actions()) {
        items << item->objectName() + "=" + item->text();
    }
    EXPECT_EQ(items, QStringList({"MnuLPT1=LPT1", "MnuLPT2=LPT2", "MnuPRN=PRN"}));
}

TEST_F(MainFormTest, PowerTogglesAndResetPulses) {
    Load();
    Click("CmdPd");
    EXPECT_EQ(Button("CmdPd")->text(), "Power Up QV4130");
    EXPECT_EQ(state.DevicePowered, 0);
    // Reset right after a power-down keeps the chip powered down.
    Click("Command5");
    Click("CmdPd");
    EXPECT_EQ(Button("CmdPd")->text(), "Power Down QV4130");
    EXPECT_EQ(state.DevicePowered, 1);
    EXPECT_EQ(port.Take(),
              (Calls{Out(888, 0x1C), In(888), Out(888, 0x0C), Out(888, 0x1C), Out(888, 0x14)}));
    // Right after a sweep the data register holds 0x16.
    Click("Command4");
    port.calls.clear();
    Click("Command5");
    EXPECT_EQ(port.calls, (Calls{In(888), Out(888, 0x06), Out(888, 0x16)}));
}

TEST_F(MainFormTest, SweepWritesAllSixteenChannelsWithAPauseAfterEachWord) {
    Load();
    Click("CmdPd");
    port.calls.clear();
    Click("Command4");
    EXPECT_EQ(port.calls, SweepWrites());
    std::vector<std::size_t> expectedPauses;
    for (std::size_t word = 1; word <= 16; ++word) {
        expectedPauses.push_back(word * 55);
    }
    EXPECT_EQ(pauses, expectedPauses);
    EXPECT_EQ(std::tuple(state.FrameMode, state.SelectedChannel, state.DataValue, state.SerialWord),
              std::tuple(0, 15, 3072, 0x0FC00));
    // The words took the chip out of power-down, but the flag and the button still
    // say powered down.
    EXPECT_EQ(state.DevicePowered, 0);
    EXPECT_EQ(Button("CmdPd")->text(), "Power Up QV4130");
}

TEST_F(MainFormTest, TabReachesTheUnseenTestButtonLastAndSpaceOrEnterPressesIt) {
    Load();
    Active();
    Button("Command1")->setFocus();
    QStringList walked{"Command1"};
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(walked, QStringList({"Command1", "Command2", "Command3", "CmdPd", "Command5",
                                   "Command6", "Command4", "Command1"}));
    EXPECT_TRUE(Button("Command4")->visibleRegion().isEmpty()) << "out of the mouse's reach";
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        port.calls.clear();
        QTest::keyClick(Button("Command4"), key);
        EXPECT_EQ(port.calls, SweepWrites()) << QTest::toString(key);
    }
}

TEST_F(MainFormTest, AccessKeysPressTheirButtons) {
    int mode1 = 0, mode2 = 0, about = 0;
    children = {[&](QWidget*) { ++mode1; }, [&](QWidget*) { ++mode2; }, [&](QWidget*) { ++about; }};
    Load();
    QWindow* window = Active();
    // A button pressed by its access key shows itself down a moment before the click.
    const std::pair<Qt::Key, int*> rows[] = {
        {Qt::Key_1, &mode1}, {Qt::Key_2, &mode2}, {Qt::Key_A, &about}, {Qt::Key_Q, &quits}};
    for (const auto& [key, presses] : rows) {
        QTest::keyClick(window, key, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([presses = presses] { return *presses == 1; }))
            << QTest::toString(key);
    }
    // "&Reset QV4130" shares R with "P&rinter Port": Alt+R only takes the focus
    // to the button, and Space then presses it.
    Button("Command1")->setFocus();
    QTest::keyClick(window, Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(
        QTest::qWaitFor([] { return QApplication::focusWidget()->objectName() == "Command5"; }));
    QTest::qWait(150);
    EXPECT_TRUE(port.calls.empty());
    QTest::keyClick(Button("Command5"), Qt::Key_Space);
    EXPECT_EQ(port.calls, (Calls{In(888), Out(888, 0x04), Out(888, 0x14)}));
}

TEST_F(MainFormTest, PortMenuMovesTheMarkAndWritesNothing) {
    Load();
    const std::tuple<const char*, std::uint16_t, const char*> rows[] = {
        {"MnuLPT2", 632, ".x."}, {"MnuPRN", 956, "..x"}, {"MnuLPT1", 888, "x.."},
        {"MnuLPT1", 888, "x.."}, // choosing the marked item keeps it marked
        {"MnuLPT2", 632, ".x."},
    };
    for (const auto& [item, address, items] : rows) {
        Item(item)->trigger();
        EXPECT_EQ(state.PortAddress, address) << item;
        EXPECT_EQ(Items(), items) << item;
    }
    EXPECT_TRUE(port.calls.empty());
    // The next byte goes to the new port, whose control register is left alone.
    Click("CmdPd");
    EXPECT_EQ(port.calls, (Calls{Out(632, 0x1C)}));

    form->DisablePortItem(PortMenuItem::Lpt1);
    form->DisablePortItem(PortMenuItem::Prn);
    EXPECT_EQ(Items(), "-x-");
}

TEST_F(MainFormTest, ModeWindowsOpenOnlyWhilePoweredUpAndAboutAlways) {
    std::vector<std::string> opened;
    auto opener = [&](std::string which) {
        return [&opened, which, this](QWidget* owner) {
            EXPECT_EQ(owner, form.get());
            opened.push_back(which);
        };
    };
    const auto clickAll = [this] {
        for (const char* button : {"Command1", "Command6", "Command3"}) {
            Click(button);
        }
    };
    Load();
    clickAll(); // nothing to open yet
    children = {opener("mode 1"), opener("mode 2"), opener("about")};
    Load();
    clickAll();
    EXPECT_EQ(opened, (std::vector<std::string>{"mode 1", "mode 2", "about"}));
    EXPECT_TRUE(messages.boxes.empty());

    opened.clear();
    Click("CmdPd");
    clickAll();
    EXPECT_EQ(opened, (std::vector<std::string>{"about"}));
    const ShownMessage refusal{"The QV4130 must be Powered Up to proceed", "QV4130",
                               MessageIcon::Exclamation};
    EXPECT_EQ(messages.boxes, (std::vector<ShownMessage>{refusal, refusal}));
}

TEST_F(MainFormTest, QuitGoesOnlyThroughTheExitAndClosingEndsTheRun) {
    Load();
    Click("Command2");
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(port.calls.empty());

    QSignalSpy closed(form.get(), &MainForm::closed);
    form->show();
    form->close();
    EXPECT_EQ(closed.count(), 1);
}

} // namespace
} // namespace qv4130
