#include "virtualboard/qt/PanelPlacement.h"
#include "virtualboard/qt/TimingDiagram.h"
#include "virtualboard/qt/VirtualBoardPanel.h"

#include "board/CommsFunctions.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace qv4130 {
namespace {

constexpr std::uint16_t Lpt1 = 888;

class PanelTest : public ::testing::Test {
protected:
    PanelTest() { board.OutByte(Lpt1, board_byte::PoweredUp); }

    QString Text(const char* name) const {
        auto* label = panel->findChild<QLabel*>(QString::fromLatin1(name));
        return label != nullptr ? label->text()
                                : QStringLiteral("<no label %1>").arg(QString::fromLatin1(name));
    }
    QString ChannelText(const char* column, int channel) const {
        return Text((QByteArray(column) + QByteArray::number(channel)).constData());
    }
    int Bar(int channel) const {
        auto* bar = panel->findChild<QProgressBar*>(QStringLiteral("channelOutput%1").arg(channel));
        return bar != nullptr ? bar->value() : -1;
    }
    void Send(int mode, int channel, int data, std::int16_t bits = SerialWordBits) {
        SendSerialWord(board,
                       ComposeSerialWord(static_cast<std::int16_t>(mode),
                                         static_cast<std::int16_t>(channel),
                                         static_cast<std::int16_t>(data)),
                       Lpt1, bits);
    }
    static void LetTheEventLoopRun() { QCoreApplication::processEvents(); }

    VirtualBoard board;
    std::unique_ptr<VirtualBoardPanel> panel = std::make_unique<VirtualBoardPanel>(board);
};

TEST_F(PanelTest, IsATopLevelWindowOfItsOwnAndNeverModal) {
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("QV4130 Virtual Board"));
    EXPECT_TRUE(panel->isWindow());
    EXPECT_EQ(panel->windowModality(), Qt::NonModal);
    EXPECT_FALSE(panel->testAttribute(Qt::WA_QuitOnClose));
}

TEST_F(PanelTest, ShowsChannelsStateAndTheLastWord) {
    Send(0, 5, 0xA00);
    Send(0, 15, 4095);
    board.OutByte(632, 0x14); // the operator picked LPT2
    LetTheEventLoopRun();

    EXPECT_EQ(ChannelText("channelHex", 5), QStringLiteral("A00"));
    EXPECT_EQ(ChannelText("channelDecimal", 5), QStringLiteral("2560"));
    EXPECT_EQ(Bar(5), 2560);
    EXPECT_EQ(ChannelText("channelHex", 15), QStringLiteral("FFF"));
    EXPECT_EQ(Bar(15), 4095);
    EXPECT_EQ(ChannelText("channelHex", 0), QStringLiteral("000"));
    EXPECT_EQ(Bar(0), 0);

    EXPECT_EQ(Text("chipState"), QStringLiteral("Running, powered up"));
    EXPECT_EQ(Text("dataRegister"), QStringLiteral("0x16: RESET 1  PD 0  SYNC 1  SCLK 1  DIN 0"));
    EXPECT_EQ(Text("wordsApplied"), QStringLiteral("2"));
    EXPECT_EQ(Text("malformedWords"), QStringLiteral("0"));
    EXPECT_EQ(Text("decodedWord"),
              QStringLiteral("Word 0x0FFFF: mode 0 (write), channel 15, code 0xFFF (4095)"));

    const auto* timing = panel->findChild<TimingDiagram*>();
    ASSERT_NE(timing, nullptr);
    EXPECT_EQ(timing->Samples(), board.Chip().LastWord()->lineLevels);
    EXPECT_EQ(timing->BitSamples().size(), 18u);
}

TEST_F(PanelTest, DescribesEachKindOfWord) {
    struct Case {
        int mode;
        int data;
        std::int16_t bits;
        const char* text;
    };
    const Case cases[] = {
        {1, 127, 18, "Word 0x1207F: mode 1 (increment), channel 2, step 0x07F (127)"},
        {2, 1, 18, "Word 0x22001: mode 2 (decrement), channel 2, step 0x001 (1)"},
        {3, 0xABC, 18,
         "Word 0x32ABC: mode 3 (not a command, ignored), channel 2, data 0xABC (2748)"},
        {0, 0, 17, "Malformed: 17 bits instead of 18, ignored"},
        {0, 1, 1, "Malformed: 1 bit instead of 18, ignored"},
    };
    for (const Case& c : cases) {
        Send(c.mode, 2, c.data, c.bits);
        LetTheEventLoopRun();
        EXPECT_EQ(Text("decodedWord"), QString::fromLatin1(c.text));
    }
    EXPECT_EQ(Text("wordsIgnored"), QStringLiteral("1"));
    EXPECT_EQ(Text("malformedWords"), QStringLiteral("2"));
}

TEST_F(PanelTest, CatchesUpOnlyOnceTheEventLoopRuns) {
    // A sweep holds the GUI thread: the panel must not redraw per write, and must
    // show the end state as soon as the loop runs again.
    LetTheEventLoopRun();
    for (int channel = 0; channel < ChannelCount; ++channel) {
        Send(0, channel, 3072);
    }
    EXPECT_EQ(ChannelText("channelDecimal", 0), QStringLiteral("0"));
    EXPECT_EQ(Text("wordsApplied"), QStringLiteral("0"));

    LetTheEventLoopRun();
    for (int channel = 0; channel < ChannelCount; ++channel) {
        EXPECT_EQ(ChannelText("channelHex", channel), QStringLiteral("C00"))
            << "channel " << channel;
        EXPECT_EQ(Bar(channel), 3072) << "channel " << channel;
    }
    EXPECT_EQ(Text("wordsApplied"), QStringLiteral("16"));
}

TEST_F(PanelTest, PowerDownEmptiesTheBarsButKeepsTheCodes) {
    Send(0, 3, 0x800);
    board.OutByte(Lpt1, board_byte::PoweredDown);
    LetTheEventLoopRun();
    EXPECT_EQ(Text("chipState"), QStringLiteral("Running, powered down (outputs at 0)"));
    EXPECT_EQ(ChannelText("channelHex", 3), QStringLiteral("800"));
    EXPECT_EQ(Bar(3), 0);

    board.OutByte(Lpt1, board_byte::HeldInReset);
    LetTheEventLoopRun();
    EXPECT_EQ(Text("chipState"), QStringLiteral("Held in reset, powered up"));
    EXPECT_EQ(ChannelText("channelHex", 3), QStringLiteral("000"));
}

TEST_F(PanelTest, OutlivedByTheBoardWithoutDanglingObserver) {
    panel.reset();
    Send(0, 1, 1); // would reach a destroyed panel if it had not let go
    EXPECT_EQ(board.Chip().Code(1), 1);
}

TEST_F(PanelTest, ShowBesidePutsThePanelNextToTheAnchor) {
    QWidget anchor;
    // Small and at the left edge, so the panel fits to its right on any test screen.
    anchor.resize(100, 100);
    anchor.move(0, 10);
    anchor.show();
    panel->ShowBeside(anchor);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_GT(panel->frameGeometry().left(), anchor.frameGeometry().right());
    EXPECT_EQ(panel->frameGeometry().top(), anchor.frameGeometry().top());
}

TEST(PanelPlacement, BesideTheAnchorWithinTheScreen) {
    const QRect screen(0, 0, 1280, 1024);
    struct Case {
        const char* what;
        QRect anchor;
        QSize size;
        QPoint expected;
    };
    const Case cases[] = {
        {"right of it", {100, 100, 200, 250}, {500, 400}, {308, 100}},
        {"left where the right is full", {900, 100, 200, 250}, {500, 400}, {392, 100}},
        {"pushed on screen where neither side fits", {500, 100, 200, 250}, {700, 400}, {580, 100}},
        {"raised where it would run off the bottom", {100, 900, 200, 100}, {500, 400}, {308, 624}},
        {"top-left where larger than the screen", {100, 100, 200, 250}, {2000, 2000}, {0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BesidePosition(c.anchor, c.size, screen), c.expected) << c.what;
    }
}

} // namespace
} // namespace qv4130
