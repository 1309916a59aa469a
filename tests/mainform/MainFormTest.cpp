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
    // Loads the window at 888 (its load handler runs now), then forgets the load's calls.
    void SetUp() override {
        port.registers[890] = 0xFF;
        form = std::make_unique<MainForm>(port, state, messages, children, hooks);
        port.calls.clear();
    }
    void ShowActive() {
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QPushButton* Button(const char* name) { return form->findChild<QPushButton*>(name); }
    void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }

    RecordingPortLibrary port;
    SharedState state{.PortAddress = 888};
    RecordingMessageSink messages;
    std::vector<std::string> opened; // the windows opened, "wrong owner" if not owned by form
    ChildWindows children{Opener("mode 1"), Opener("mode 2"), Opener("about")};
    int quits = 0;
    std::vector<std::size_t> pauses; // how many port calls were made by each pause of the sweep
    MainFormHooks hooks{[this] { ++quits; }, [this] { pauses.push_back(port.calls.size()); }};
    std::unique_ptr<MainForm> form;

private:
    std::function<void(QWidget*)> Opener(const char* which) {
        return [this, which](QWidget* owner) {
            opened.push_back(owner == form.get() ? which : "wrong owner");
        };
    }
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
    EXPECT_EQ(form->windowTitle(), "QV4130");
    const QWidget* client = form->centralWidget();
    EXPECT_EQ(client->size(), QSize(TwipsToPixels(2550, client), TwipsToPixels(3150, client)));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    const QRect screen = form->screen()->geometry();
    EXPECT_EQ(form->pos(),
              QPoint((screen.width() - form->width()) / 2, (screen.height() - form->height()) / 2));
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
    const QAction* menu = form->menuBar()->actions().value(0);
    ASSERT_NE(menu, nullptr);
    QStringList items{menu->text()};
    for (const QAction* item : menu->menu()->actions()) {
        items << item->objectName() + "=" + item->text();
    }
    EXPECT_EQ(items, QStringList({"P&rinter Port", "MnuLPT1=LPT1", "MnuLPT2=LPT2", "MnuPRN=PRN"}));
}

TEST_F(MainFormTest, PowerTogglesResetPulsesAndTheSweepWritesAllSixteenChannels) {
    Click("CmdPd");
    EXPECT_EQ(Button("CmdPd")->text(), "Power Up QV4130");
    // Reset right after a power-down keeps the chip powered down.
    Click("Command5");
    EXPECT_EQ(port.Take(), (Calls{Out(888, 0x1C), In(888), Out(888, 0x0C), Out(888, 0x1C)}));

    Click("Command4");
    EXPECT_EQ(port.Take(), SweepWrites());
    EXPECT_EQ(pauses.size(), 16u);
    EXPECT_EQ(pauses.front() * 16, pauses.back()) << "one pause after each word";
    EXPECT_EQ(std::tuple(state.FrameMode, state.SelectedChannel, state.DataValue, state.SerialWord),
              std::tuple(0, 15, 3072, 0x0FC00));
    // The words took the chip out of power-down, but the flag and the button still
    // say powered down.
    EXPECT_EQ(state.DevicePowered, 0);
    EXPECT_EQ(Button("CmdPd")->text(), "Power Up QV4130");

    // Right after a sweep the data register holds 0x16.
    Click("Command5");
    Click("CmdPd");
    EXPECT_EQ(Button("CmdPd")->text(), "Power Down QV4130");
    EXPECT_EQ(state.DevicePowered, 1);
    EXPECT_EQ(port.calls, (Calls{In(888), Out(888, 0x06), Out(888, 0x16), Out(888, 0x14)}));
}

TEST_F(MainFormTest, TabReachesTheUnseenTestButtonLastAndSpaceOrEnterPressesIt) {
    ShowActive();
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

TEST_F(MainFormTest, PortMenuMovesTheMarkAndWritesNothing) {
    const auto items = [this] { // per port item: '-' disabled, 'x' marked, '.' plain
        std::string marks;
        for (const char* name : {"MnuLPT1", "MnuLPT2", "MnuPRN"}) {
            const auto* item = form->findChild<QAction*>(name);
            marks += !item->isEnabled() ? '-' : item->isChecked() ? 'x' : '.';
        }
        return marks;
    };
    EXPECT_EQ(items(), "x..");
    // Choosing the marked item keeps it marked.
    const std::tuple<const char*, std::uint16_t, const char*> rows[] = {{"MnuPRN", 956, "..x"},
                                                                        {"MnuLPT1", 888, "x.."},
                                                                        {"MnuLPT1", 888, "x.."},
                                                                        {"MnuLPT2", 632, ".x."}};
    for (const auto& [item, address, marks] : rows) {
        form->findChild<QAction*>(item)->trigger();
        EXPECT_EQ(state.PortAddress, address) << item;
        EXPECT_EQ(items(), marks) << item;
    }
    EXPECT_TRUE(port.calls.empty());
    // The next byte goes to the new port, whose control register is left alone.
    Click("CmdPd");
    EXPECT_EQ(port.calls, (Calls{Out(632, 0x1C)}));

    form->DisablePortItem(PortMenuItem::Lpt1);
    form->DisablePortItem(PortMenuItem::Prn);
    EXPECT_EQ(items(), "-x-");
}

TEST_F(MainFormTest, ModeWindowsOpenOnlyWhilePoweredUpAndAboutAlways) {
    for (const char* step :
         {"Command1", "Command6", "Command3", "CmdPd", "Command1", "Command6", "Command3"}) {
        Click(step);
    }
    EXPECT_EQ(opened, (std::vector<std::string>{"mode 1", "mode 2", "about", "about"}));
    const ShownMessage refusal{"The QV4130 must be Powered Up to proceed", "QV4130",
                               MessageIcon::Exclamation};
    EXPECT_EQ(messages.boxes, (std::vector<ShownMessage>{refusal, refusal}));
}

TEST_F(MainFormTest, QuitGoesOnlyThroughTheExitAndClosingEndsTheRun) {
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
