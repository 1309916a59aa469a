// The virtual board's window, read through its widgets.
#include "BoardBench.h"
#include "virtualboard/qt/PanelPlacement.h"
#include "virtualboard/qt/TimingDiagram.h"
#include "virtualboard/qt/VirtualBoardPanel.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <gtest/gtest.h>

#include <memory>

namespace qv4130 {
namespace {

class PanelTest : public ::testing::Test {
protected:
    QString Text(const QString& name) const { return panel->findChild<QLabel*>(name)->text(); }
    int Bar(int channel) const {
        return panel->findChild<QProgressBar*>(QStringLiteral("channelOutput%1").arg(channel))
            ->value();
    }
    // The panel redraws from the event loop, never inside a port write.
    static void LetTheEventLoopRun() { QCoreApplication::processEvents(); }

    test::BoardBench bench;
    AnalogModel analog;
    std::unique_ptr<VirtualBoardPanel> panel =
        std::make_unique<VirtualBoardPanel>(bench.board, &analog);
};

TEST_F(PanelTest, AWindowOfItsOwnShowingChannelsStateAndTheLastWord) {
    // (A window of its own, found by its title, that blocks no other: the desktop
    // tests find it by the one and click beside it.)
    bench.Send(0, 15, 0xA00);    // the last of the rows, which a short redraw would miss
    bench.board.OutByte(632, 0); // LPT2: no port there
    // A sweep holds the GUI thread: the panel must not redraw inside a port write.
    EXPECT_EQ(Text("wordsApplied"), "0");
    LetTheEventLoopRun();
    EXPECT_EQ(Text("wordsApplied"), "1");
    EXPECT_EQ(Text("strayWrites"), "1, last at 632 (0x278)");
    EXPECT_EQ(Text("channelHex15"), "A00");
    EXPECT_EQ(Text("channelDecimal15"), "2560");
    EXPECT_EQ(Bar(15), 2560);
    EXPECT_EQ(Text("channelVolts15"),
              QStringLiteral("%1 V").arg(analog.Volts(15, 2560), 0, 'f', 4));
    EXPECT_EQ(Text("chipState"), "Running, powered up");
    EXPECT_EQ(Text("dataRegister"), "0x16: RESET 1  PD 0  SYNC 1  SCLK 1  DIN 0");
    EXPECT_EQ(Text("decodedWord"), "Word 0x0FA00: mode 0 (write), channel 15, code 0xA00 (2560)");
    // The timing view's samples run from the lines before SYNC fell to the write that raised it.
    const auto& samples = panel->findChild<TimingDiagram*>()->Samples();
    EXPECT_EQ(samples, bench.chip().LastWord()->lineLevels);
    EXPECT_EQ(samples.front(), 0x14); // the lines before SYNC fell: SYNC high, clock low

    // Powered down the bar shows the output, not the code.
    bench.board.OutByte(test::Lpt1, board_byte::PoweredDown);
    LetTheEventLoopRun();
    EXPECT_EQ(Text("channelHex15") + Text("channelDecimal15"), "A002560");
    EXPECT_EQ(Bar(15), 0);
    EXPECT_EQ(Text("channelVolts15"), "0.0000 V");

    bench.Send(2, 5, 1);
    LetTheEventLoopRun();
    EXPECT_EQ(Text("decodedWord"), "Word 0x25001: mode 2 (decrement), channel 5, step 0x001 (1)");
    bench.Send(3, 2, 0xABC);
    LetTheEventLoopRun();
    EXPECT_EQ(Text("decodedWord"),
              "Word 0x32ABC: mode 3 (not a command, ignored), channel 2, data 0xABC (2748)");
    bench.Send(0, 0, 0, 19);
    bench.Send(0, 0, 1, 1);
    LetTheEventLoopRun();
    EXPECT_EQ(Text("decodedWord"), "Malformed: 1 bit instead of 18, ignored");
    EXPECT_EQ(Text("wordsIgnored") + Text("malformedWords"), "12");

    bench.board.OutByte(test::Lpt1, board_byte::HeldInReset); // as start-up leaves the chip
    LetTheEventLoopRun();
    EXPECT_EQ(Text("chipState"), "Held in reset, powered up");
}

TEST_F(PanelTest, OutlivedByTheBoardWithoutDanglingObserver) {
    panel.reset();
    bench.Send(0, 1, 1); // would reach a destroyed panel if it had not let go
    EXPECT_EQ(bench.chip().Code(1), 1);
}

const QRect Screen(0, 0, 1280, 1024);

TEST(PanelPlacement, BesideTheAnchorWithinTheScreen) {
    struct Case {
        QRect anchor;
        QSize size;
        QRect expected;
        const char* what;
    };
    const Case cases[] = {
        {{100, 100, 200, 250}, {500, 400}, {308, 100, 500, 400}, "right of it"},
        {{900, 100, 200, 250}, {500, 400}, {392, 100, 500, 400}, "left where the right is full"},
        {{500, 100, 200, 250}, {700, 400}, {580, 100, 700, 400}, "on screen: neither side fits"},
        {{100, 900, 200, 100}, {500, 400}, {308, 624, 500, 400}, "raised off the bottom"},
        {{100, 100, 200, 250}, {2000, 2000}, Screen, "the whole screen where larger both ways"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BesideGeometry(c.anchor, c.size, Screen), c.expected) << c.what;
    }
}

// The Characterise window keeps clear of the main window and the panel: in the
// largest free band that holds it, shrunk to the band down to its minimum.
TEST(PanelPlacement, ClearOfTheOtherWindowsWhereTheScreenHasRoom) {
    // The main window centred, the panel to its right, as the program opens them.
    const std::vector<QRect> opened = {{555, 397, 170, 250}, {733, 371, 547, 653}};
    struct Case {
        std::vector<QRect> taken;
        QSize wanted, unscrolled, least;
        QRect expected;
        const char* what;
    };
    const Case cases[] = {
        {{{100, 100, 200, 250}}, {500, 400}, {300, 300}, {300, 300}, {308, 100, 500, 400}, "right"},
        // The tall strip on their left, narrowed and lengthened to show it all;
        // the whole strip, scrolling, where the window is taller than the screen.
        {opened, {1000, 720}, {450, 1000}, {450, 500}, {0, 24, 547, 1000}, "strip on the left"},
        {opened, {1000, 720}, {450, 1100}, {450, 500}, {0, 0, 547, 1024}, "strip, scrolling"},
        {{{0, 0, 1280, 300}}, {800, 600}, {400, 400}, {400, 400}, {0, 308, 800, 600}, "below"},
        // Over them where no band holds even its least size.
        {opened, {1000, 720}, {900, 900}, {600, 600}, {280, 124, 1000, 900}, "over them"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClearOfGeometry(c.taken, c.wanted, c.unscrolled, c.least, Screen), c.expected)
            << c.what;
    }
}

} // namespace
} // namespace qv4130
