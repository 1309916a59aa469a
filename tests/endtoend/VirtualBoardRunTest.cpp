// A whole run of the program on the virtual board, composed as the program
// composes itself (the same ProgramChildWindows as qv4130's main): start-up, the
// main window, the mode windows it opens and the board's panel, with the
// operator's actions checked against what the simulated QV4130 ends up holding.
#include "startup/Declare.h"
#include "support/FixedOsVersion.h"
#include "support/RecordingMessageSink.h"
#include "ui/ChildWindows.h"
#include "ui/LazyMainWindow.h"
#include "virtualboard/qt/VirtualBoardPanel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace qv4130::test {
namespace {

void Click(QWidget& window, const QString& name) {
    QTest::mouseClick(window.findChild<QWidget*>(name), Qt::LeftButton);
}

// Clicks a main-window button that opens a modal window and works that window
// while it is up; `operate` must close it.
void ClickToOpen(QWidget& main, const char* button, const std::function<void(QWidget&)>& operate) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_TRUE(modal != nullptr && modal != &main) << button << " opened nothing";
        ASSERT_TRUE(QTest::qWaitForWindowActive(modal));
        operate(*modal);
        ran = true;
    });
    Click(main, button);
    EXPECT_TRUE(ran) << button;
}

// In a mode window: picks the channel, types the entry, presses Update Channel.
void Update(QWidget& window, int channel, const QString& entry) {
    Click(window, QStringLiteral("Option1_%1").arg(channel));
    auto* field = window.findChild<QLineEdit*>("Text1");
    QTest::mouseClick(field, Qt::LeftButton);
    field->clear();
    QTest::keyClicks(field, entry);
    Click(window, "Command1");
}

TEST(VirtualBoardRun, TheChipEndsWhereTheOperatorExpects) {
    // As the program: the run ends when Main returns, not with the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    VirtualBoard board;
    SharedState state;
    Board actions(board, state);
    RecordingMessageSink messages;
    // The host as the program has it on Linux: no registry, so About never starts anything.
    HostRegistry registry;
    HostFileFinder files;
    HostProgramStarter programs;
    const ChildWindows children =
        ProgramChildWindows(actions, messages, {registry, files, programs, messages});
    const MainFormHooks hooks{[] {}, [] {}}; // the sweep without its pauses
    LazyMainWindow mainWindow(
        [&] { return std::make_unique<MainForm>(actions, messages, children, hooks); });
    FixedOsVersion windowsNt4({2, 4, 0}); // asks the library where the port is
    VirtualBoardPanel panel(board);
    const Qv4130Chip& chip = board.Chip();

    bool operated = false;
    QTimer::singleShot(0, [&] {
        MainForm& form = *mainWindow.Loaded();
        panel.ShowBeside(form);
        // The port was found at 888, which loaded the window early: start-up's
        // hold came after the window's load, so the chip waits in reset.
        EXPECT_TRUE(chip.HeldInReset());
        QCoreApplication::processEvents();
        EXPECT_EQ(panel.findChild<QLabel*>("chipState")->text(), "Held in reset, powered up");

        ClickToOpen(form, "Command6", [](QWidget& mode2) {
            Update(mode2, 5, "127"); // opens stepping up
            Click(mode2, "Option3");
            Update(mode2, 5, "27");
            Click(mode2, "Command2");
        });
        EXPECT_EQ(chip.Code(5), 100);
        // The sweep and Mode 1 write, whatever mode Mode 2 left behind.
        Click(form, "Command4");
        std::array<std::uint16_t, ChannelCount> expected{};
        expected.fill(3072);
        EXPECT_EQ(chip.Codes(), expected);
        ClickToOpen(form, "Command6", [](QWidget& mode2) {
            Update(mode2, 6, "127");
            Click(mode2, "Command2");
        });
        ClickToOpen(form, "Command1", [](QWidget& mode1) {
            Update(mode1, 7, "a00");
            Click(mode1, "Command2");
        });
        expected[6] = 3072 + 127;
        expected[7] = 0xA00;
        EXPECT_EQ(chip.Codes(), expected);
        EXPECT_EQ(chip.WordsApplied(), 20u);
        operated = true;
        form.close();
    });
    StartupContext context{board, state, messages, windowsNt4, mainWindow, "", {}};
    Main(context);
    EXPECT_TRUE(operated);
}

} // namespace
} // namespace qv4130::test
