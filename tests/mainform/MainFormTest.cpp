#include "ui/MainForm.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingPortLibrary.h"
#include "ui/FormGeometry.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace qv4130 {
namespace {

using testing::In;
using testing::Out;
using testing::PortCall;
using testing::RecordingMessageSink;
using testing::RecordingPortLibrary;
using testing::ShownMessage;
using testing::WordWrites;

using Calls = std::vector<PortCall>;

class MainFormTest : public ::testing::Test {
protected:
    MainFormTest() {
        state.PortAddress = 888;
        port.registers[890] = 0xFF;
    }

    // Loads the window; its load handler runs now.
    MainForm& Form() {
        if (!form) {
            form = std::make_unique<MainForm>(port, state, messages, children, hooks);
        }
        return *form;
    }
    // Loads the window, shows it and gives it the keyboard, then forgets the load's calls.
    MainForm& ActiveForm() {
        MainForm& window = Form();
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        port.calls.clear();
        return window;
    }
    QPushButton* Button(const char* name) {
        auto* button = Form().findChild<QPushButton*>(name);
        EXPECT_NE(button, nullptr) << name;
        return button;
    }
    QAction* Item(const char* name) {
        auto* item = Form().findChild<QAction*>(name);
        EXPECT_NE(item, nullptr) << name;
        return item;
    }
    std::vector<bool> Marks() {
        return {Item("MnuLPT1")->isChecked(), Item("MnuLPT2")->isChecked(),
                Item("MnuPRN")->isChecked()};
    }
    void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }

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

// The sweep's 16 words, 0x00C00 to 0x0FC00, at `address`.
Calls SweepWrites(std::int32_t address) {
    Calls all;
    for (std::int32_t channel = 0; channel < 16; ++channel) {
        const Calls word = WordWrites(address, channel * 4096 + 3072);
        all.insert(all.end(), word.begin(), word.end());
    }
    return all;
}

TEST_F(MainFormTest, LoadDrivesTheDataLinesReleasesResetAndMarksTheItemInUse) {
    struct Row {
        std::uint16_t address;
        Calls calls;
        std::vector<bool> marks;
    };
    const Row rows[] = {
        {888, {In(890), Out(890, 0xDF), Out(888, 0x14)}, {true, false, false}},
        {632, {In(634), Out(634, 0xDF), Out(632, 0x14)}, {false, true, false}},
        {956, {In(958), Out(958, 0xDF), Out(956, 0x14)}, {false, false, true}},
        {700, {In(702), Out(702, 0xDF), Out(700, 0x14)}, {false, false, false}},
        {0, {}, {false, false, false}}, // no port found: no port I/O at all
    };
    for (const Row& row : rows) {
        port = RecordingPortLibrary();
        port.registers[row.address + 2] = 0xFF;
        state = SharedState();
        state.PortAddress = row.address;
        form.reset();

        Form();
        EXPECT_EQ(port.calls, row.calls) << row.address;
        EXPECT_EQ(Marks(), row.marks) << row.address;
        EXPECT_EQ(state.DevicePowered, 1);
        EXPECT_EQ(Button("CmdPd")->text(), "Power Down QV4130");
    }
}

TEST_F(MainFormTest, LayoutCaptionsAndFontFollowTheDesign) {
    struct Row {
        const char* name;
        const char* caption;
        int top;
        int height;
    };
    const Row rows[] = {
        {"Command1", "Mode &1 Operation", 240, 375},
        {"Command6", "Mode &2 Operation", 720, 375},
        {"Command5", "&Reset QV4130", 1200, 375},
        {"CmdPd", "Power Down QV4130", 1680, 375},
        {"Command3", "&About", 2160, 375},
        {"Command2", "&Quit", 2640, 375},
        {"Command4", "Test", 3480, 495},
    };
    MainForm& window = Form();
    EXPECT_EQ(window.windowTitle(), "QV4130");
    const QWidget* client = window.centralWidget();
    EXPECT_EQ(client->size(), QSize(TwipsToPixels(2550, client), TwipsToPixels(3150, client)));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "fixed border";
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);

    for (const Row& row : rows) {
        const QPushButton* button = Button(row.name);
        EXPECT_EQ(button->text(), row.caption);
        EXPECT_EQ(button->geometry(),
                  QRect(TwipsToPixels(240, button), TwipsToPixels(row.top, button),
                        TwipsToPixels(2055, button), TwipsToPixels(row.height, button)))
            << row.name;
        EXPECT_TRUE(button->font().bold()) << row.name;
        EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 8.25) << row.name;
        // Every caption the button ever shows fits inside its 2-pixel frame.
        for (const char* text : {row.caption, "Power Up QV4130"}) {
            EXPECT_LE(button->fontMetrics().horizontalAdvance(QString(text).remove('&')) + 4,
                      button->width())
                << text;
        }
    }
    // The test button lies wholly below the client area, out of the mouse's reach.
    EXPECT_GE(Button("Command4")->y(), client->height());

    const QList<QAction*> menus = window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0]->text(), "P&rinter Port");
    QStringList items;
    for (const QAction* item : menus[0]->menu()->actions()) {
        items << item->objectName() + "=" + item->text();
    }
    EXPECT_EQ(items, QStringList({"MnuLPT1=LPT1", "MnuLPT2=LPT2", "MnuPRN=PRN"}));
}

TEST_F(MainFormTest, TwoPowerTogglesWritePowerDownThenPowerUp) {
    Form();
    port.calls.clear();

    Click("CmdPd");
    EXPECT_EQ(port.calls, (Calls{Out(888, 0x1C)}));
    EXPECT_EQ(Button("CmdPd")->text(), "Power Up QV4130");
    EXPECT_EQ(state.DevicePowered, 0);

    Click("CmdPd");
    EXPECT_EQ(port.calls, (Calls{Out(888, 0x1C), Out(888, 0x14)}));
    EXPECT_EQ(Button("CmdPd")->text(), "Power Down QV4130");
    EXPECT_EQ(state.DevicePowered, 1);
}

TEST_F(MainFormTest, ResetPulseMovesOnlyTheResetLine) {
    struct Row {
        const char* before;
        std::int32_t low, high;
        std::int16_t powered;
    };
    // After a sweep the data register holds 0x16; after a power-down 0x1C, which
    // must stay powered down.
    for (const Row& row : {Row{"Command4", 0x06, 0x16, 1}, Row{"CmdPd", 0x0C, 0x1C, 0}}) {
        port = RecordingPortLibrary();
        form.reset();
        Click(row.before);
        port.calls.clear();

        Click("Command5");
        EXPECT_EQ(port.calls, (Calls{In(888), Out(888, row.low), Out(888, row.high)}))
            << row.before;
        EXPECT_EQ(state.DevicePowered, row.powered);
    }
}

TEST_F(MainFormTest, SweepWritesAllSixteenChannelsWithAPauseAfterEachWord) {
    Form();
    port.calls.clear();
    Click("Command4");

    EXPECT_EQ(port.calls, SweepWrites(888));
    std::vector<std::size_t> expectedPauses;
    for (std::size_t word = 1; word <= 16; ++word) {
        expectedPauses.push_back(word * 55);
    }
    EXPECT_EQ(pauses, expectedPauses);
    EXPECT_EQ(state.FrameMode, 0);
    EXPECT_EQ(state.SelectedChannel, 15);
    EXPECT_EQ(state.DataValue, 3072);
    EXPECT_EQ(state.SerialWord, 0x0FC00);
}

TEST_F(MainFormTest, SweepWhilePoweredDownLeavesThePowerStateAsItWas) {
    Form();
    Click("CmdPd");
    port.calls.clear();
    Click("Command4");
    // Every byte of a word has the power-down line low, so the chip is physically
    // powered up again, but the flag and the button still say powered down.
    EXPECT_EQ(port.calls, SweepWrites(888));
    EXPECT_EQ(port.registers[888], 0x16);
    EXPECT_EQ(state.DevicePowered, 0);
    EXPECT_EQ(Button("CmdPd")->text(), "Power Up QV4130");
}

TEST_F(MainFormTest, TabWalksTheButtonsAndReachesTheTestButtonLast) {
    MainForm& window = ActiveForm();
    Button("Command1")->setFocus();
    QStringList walked{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(walked, QStringList({"Command1", "Command2", "Command3", "CmdPd", "Command5",
                                   "Command6", "Command4", "Command1"}));
    EXPECT_TRUE(Button("Command4")->visibleRegion().isEmpty()) << "nothing of it is on screen";
    EXPECT_TRUE(port.calls.empty()) << "moving the focus writes nothing";
    window.hide();
}

TEST_F(MainFormTest, SpaceOrEnterPressesTheTestButton) {
    ActiveForm();
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        port.calls.clear();
        Button("Command4")->setFocus();
        QTest::keyClick(Button("Command4"), key);
        EXPECT_EQ(port.calls, SweepWrites(888)) << QTest::toString(key);
    }
}

TEST_F(MainFormTest, AccessKeysPressTheirButtons) {
    int mode1 = 0, mode2 = 0, about = 0;
    children = {[&](QWidget*) { ++mode1; }, [&](QWidget*) { ++mode2; }, [&](QWidget*) { ++about; }};
    struct Row {
        Qt::Key key;
        std::function<bool()> pressed;
    };
    const Row rows[] = {
        {Qt::Key_1, [&] { return mode1 == 1; }},
        {Qt::Key_2, [&] { return mode2 == 1; }},
        {Qt::Key_A, [&] { return about == 1; }},
        {Qt::Key_Q, [&] { return quits == 1; }},
    };
    // Through the window system, where access keys are looked up; the button
    // shows itself pressed for a moment before its click arrives.
    QWindow* window = ActiveForm().windowHandle();
    for (const Row& row : rows) {
        QTest::keyClick(window, row.key, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor(row.pressed, 2000)) << QTest::toString(row.key);
    }
}

TEST_F(MainFormTest, AltRIsSharedByTheResetButtonAndThePortMenuSoItOnlyMovesTheFocus) {
    // "&Reset QV4130" and "P&rinter Port" both claim R: the first Alt+R takes the
    // focus to the button without pulsing reset, and Space then presses it.
    QWindow* window = ActiveForm().windowHandle();
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
    struct Row {
        const char* item;
        std::uint16_t address;
        std::vector<bool> marks;
    };
    const Row rows[] = {
        {"MnuLPT2", 632, {false, true, false}},
        {"MnuPRN", 956, {false, false, true}},
        {"MnuLPT1", 888, {true, false, false}},
        {"MnuLPT1", 888, {true, false, false}}, // choosing the marked item keeps it marked
    };
    Form();
    port.calls.clear();
    for (const Row& row : rows) {
        Item(row.item)->trigger();
        EXPECT_EQ(state.PortAddress, row.address) << row.item;
        EXPECT_EQ(Marks(), row.marks) << row.item;
    }
    EXPECT_TRUE(port.calls.empty());

    // The next byte goes to the new port, whose control register is left alone.
    Item("MnuLPT2")->trigger();
    Click("CmdPd");
    EXPECT_EQ(port.calls, (Calls{Out(632, 0x1C)}));
}

TEST_F(MainFormTest, DisabledPortItemsStayDisabled) {
    Form().DisablePortItem(PortMenuItem::Lpt2);
    Form().DisablePortItem(PortMenuItem::Prn);
    EXPECT_TRUE(Item("MnuLPT1")->isEnabled());
    EXPECT_FALSE(Item("MnuLPT2")->isEnabled());
    EXPECT_FALSE(Item("MnuPRN")->isEnabled());
    Item("MnuLPT1")->trigger();
    EXPECT_FALSE(Item("MnuLPT2")->isEnabled());
}

TEST_F(MainFormTest, QuitGoesThroughTheExitAndNothingElse) {
    Form();
    port.calls.clear();
    Click("Command2");
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(port.calls.empty());
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(MainFormTest, ModeWindowsOpenOnlyWhilePoweredUpAndAboutAlways) {
    std::vector<std::string> opened;
    std::vector<QWidget*> owners;
    auto opener = [&](const char* which) {
        return [&, which](QWidget* owner) {
            opened.push_back(which);
            owners.push_back(owner);
        };
    };
    children = {opener("mode 1"), opener("mode 2"), opener("about")};
    Form();
    const ShownMessage refusal{"The QV4130 must be Powered Up to proceed", "QV4130",
                               MessageIcon::Exclamation};

    for (const char* button : {"Command1", "Command6", "Command3"}) {
        Click(button);
    }
    EXPECT_EQ(opened, (std::vector<std::string>{"mode 1", "mode 2", "about"}));
    EXPECT_EQ(owners, (std::vector<QWidget*>(3, &Form())));
    EXPECT_TRUE(messages.boxes.empty());

    opened.clear();
    Click("CmdPd");
    for (const char* button : {"Command1", "Command6", "Command3"}) {
        Click(button);
    }
    EXPECT_EQ(opened, (std::vector<std::string>{"about"}));
    EXPECT_EQ(messages.boxes, (std::vector<ShownMessage>{refusal, refusal}));
}

TEST_F(MainFormTest, MissingWindowsOpenNothingAndClosingEndsTheRun) {
    MainForm& window = Form();
    for (const char* button : {"Command1", "Command6", "Command3"}) {
        Click(button);
    }
    EXPECT_TRUE(messages.boxes.empty());

    QSignalSpy closed(&window, &MainForm::closed);
    window.show();
    window.close();
    EXPECT_EQ(closed.count(), 1);
}

} // namespace
} // namespace qv4130
