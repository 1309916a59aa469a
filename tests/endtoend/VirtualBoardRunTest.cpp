// Whole runs of the program on the virtual board, composed as the program
// composes itself (the same ProgramChildWindows as qv4130's main): start-up, the main window, the
// mode windows it opens and the board's panel, with the operator's actions checked against what the
// simulated QV4130 ends up holding.
#include "board/Declare.h"
#include "modes/ModeWindowHarness.h"
#include "support/FixedOsVersion.h"
#include "ui/ChildWindows.h"
#include "ui/LazyMainWindow.h"
#include "virtualboard/VirtualBoard.h"
#include "virtualboard/qt/VirtualBoardPanel.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <functional>
#include <vector>

namespace qv4130::testing {
namespace {

// Every level the data register moved to, in order: what a logic analyser on the
// port's pins would have caught.
class DataRegisterTrace final : public VirtualBoardObserver {
public:
    explicit DataRegisterTrace(const VirtualBoard& board)
        : board_(board), last_(board.DataRegister()) {}
    void BoardChanged() override {
        if (board_.DataRegister() != last_) {
            last_ = board_.DataRegister();
            levels.push_back(last_);
        }
    }
    std::vector<std::uint8_t> levels;

private:
    const VirtualBoard& board_;
    std::uint8_t last_;
};

// Windows NT asks the port library where the port is; Windows 98 takes LPT1 at
// 888 without asking and leaves every port item enabled.
constexpr OsVersionInfo WindowsNt4{2, 4, 0};
constexpr OsVersionInfo Windows98{1, 4, 10};

using Codes = std::array<std::uint16_t, ChannelCount>;

class VirtualBoardRun : public ::testing::Test {
protected:
    VirtualBoardRun() {
        // As the program: the run ends when Main returns, not with the last window.
        QApplication::setQuitOnLastWindowClosed(false);
        board.AddObserver(trace);
    }
    ~VirtualBoardRun() override { board.RemoveObserver(trace); }

    // Runs the program from start-up to the main window's close; `operate` works
    // the main window from inside its modal display, then the window is closed.
    void Run(OsVersionInfo os, const std::function<void()>& operate) {
        FixedOsVersion osVersion(os);
        LazyMainWindow mainWindow([this] {
            return std::make_unique<MainForm>(library, state, messages, children, hooks);
        });
        VirtualBoardPanel panel(board);
        bool operated = false;
        QTimer::singleShot(0, [&] {
            form = mainWindow.Loaded();
            panel.ShowBeside(*form);
            this->panel = &panel;
            operate();
            operated = true;
            form->close();
        });
        StartupContext context{library, state, messages, osVersion, mainWindow, "", {}};
        Main(context);
        EXPECT_TRUE(operated);
        form = nullptr;
        this->panel = nullptr;
    }

    QPushButton* Button(const char* name) const { return form->findChild<QPushButton*>(name); }
    void Click(const char* name) const { QTest::mouseClick(Button(name), Qt::LeftButton); }
    void Choose(const char* portItem) const { form->findChild<QAction*>(portItem)->trigger(); }

    // Clicks a main-window button that opens a modal window, and works that
    // window while it is up; `operate` must close it.
    void ClickToOpen(const char* name, const std::function<void(QWidget&)>& operate) const {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_TRUE(modal != nullptr && modal != form) << name << " opened nothing";
            ASSERT_TRUE(QTest::qWaitForWindowActive(modal));
            operate(*modal);
            ran = true;
        });
        Click(name);
        EXPECT_TRUE(ran) << name;
    }

    // In a mode window: picks the channel, enters the text and presses Update Channel.
    static void Update(QWidget& window, int channel, const QString& entry) {
        ModeWindowTest::Click(window, QStringLiteral("Option1_%1").arg(channel));
        ModeWindowTest::Type(window, entry);
        ModeWindowTest::Click(window, "Command1");
    }

    QString PanelText(const char* label) const {
        QCoreApplication::processEvents();
        return panel->findChild<QLabel*>(label)->text();
    }
    const Qv4130Chip& Chip() const { return board.Chip(); }
    Codes Outputs() const {
        Codes outputs{};
        for (int channel = 0; channel < ChannelCount; ++channel) {
            outputs.at(static_cast<std::size_t>(channel)) = Chip().Output(channel);
        }
        return outputs;
    }
    static Codes AllAt(std::uint16_t code) {
        Codes codes{};
        codes.fill(code);
        return codes;
    }

    VirtualBoard board;
    DataRegisterTrace trace{board};
    PortLibrary& library = board;
    SharedState state;
    RecordingMessageSink messages;
    // The host as the program has it on Linux: no registry, so About never starts anything.
    HostRegistry registry;
    HostFileFinder files;
    HostProgramStarter programs;
    ChildWindows children =
        ProgramChildWindows(library, state, messages, {registry, files, programs, messages});
    int quits = 0;
    int sweepPauses = 0;
    MainFormHooks hooks{[this] { ++quits; }, [this] { ++sweepPauses; }};
    MainForm* form = nullptr;
    VirtualBoardPanel* panel = nullptr;
};

TEST_F(VirtualBoardRun, StartUpHoldsTheChipInResetUntilTheFirstAction) {
    Run(WindowsNt4, [this] {
        // The port was found at 888, which loaded the window early: its 20 came
        // first and start-up's 6 last, so RESET is still low.
        EXPECT_TRUE(board.Claimed());
        EXPECT_EQ(state.PortAddress, 888);
        EXPECT_EQ(trace.levels, (std::vector<std::uint8_t>{0x14, 0x06}));
        EXPECT_TRUE(Chip().HeldInReset());
        EXPECT_FALSE(Chip().PoweredDown());
        EXPECT_EQ(Chip().WordsApplied() + Chip().MalformedWords(), 0u);
        EXPECT_EQ(PanelText("chipState"), "Held in reset, powered up");

        Click("CmdPd");
        EXPECT_FALSE(Chip().HeldInReset());
        EXPECT_TRUE(Chip().PoweredDown());
        EXPECT_EQ(PanelText("chipState"), "Running, powered down (outputs at 0)");
    });
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(board.StrayWrites(), 0u);
}

TEST_F(VirtualBoardRun, SweepPowerAndResetAsTheChipSeesThem) {
    Run(WindowsNt4, [this] {
        Click("Command4");
        EXPECT_EQ(Chip().Codes(), AllAt(3072));
        EXPECT_EQ(Chip().WordsApplied(), 16u);
        EXPECT_EQ(Chip().MalformedWords(), 0u);
        EXPECT_EQ(sweepPauses, 16);
        // The sweep kept the event loop from the panel; it catches up afterwards.
        EXPECT_EQ(PanelText("wordsApplied"), "16");
        EXPECT_EQ(PanelText("channelHex15"), "C00");

        // Powered down the outputs drop to 0 but the codes stay latched.
        Click("CmdPd");
        EXPECT_EQ(Outputs(), AllAt(0));
        EXPECT_EQ(Chip().Codes(), AllAt(3072));
        Click("CmdPd");
        EXPECT_EQ(Outputs(), AllAt(3072));

        // The reset pulse clears every code and leaves the chip running.
        Click("Command5");
        EXPECT_EQ(Chip().Codes(), AllAt(0));
        EXPECT_FALSE(Chip().HeldInReset());
        EXPECT_FALSE(Chip().PoweredDown());
        EXPECT_EQ(Chip().WordsApplied(), 16u);
    });
    EXPECT_EQ(state.DevicePowered, 1);
}

TEST_F(VirtualBoardRun, ModeWindowsFromTheMainWindowWriteAndStepChannels) {
    Run(WindowsNt4, [this] {
        ClickToOpen("Command1", [](QWidget& mode1) {
            EXPECT_EQ(mode1.windowTitle(), "Mode 1 Operation");
            Update(mode1, 5, "a00");
            Update(mode1, 6, "ffa");
            Update(mode1, 7, "5");
            ModeWindowTest::Click(mode1, "Command2");
        });
        EXPECT_EQ(Chip().Code(5), 0xA00);
        EXPECT_EQ(Chip().LastWord()->Channel(), 7);

        ClickToOpen("Command6", [this](QWidget& mode2) {
            EXPECT_EQ(mode2.windowTitle(), "Mode 2 Operation");
            // Opens stepping up.
            Update(mode2, 5, "127");
            EXPECT_EQ(Chip().Code(5), 0xA00 + 127);
            Update(mode2, 6, "127");
            EXPECT_EQ(Chip().Code(6), 4095) << "saturates at full scale";
            ModeWindowTest::Click(mode2, "Option3");
            Update(mode2, 7, "127");
            EXPECT_EQ(Chip().Code(7), 0) << "saturates at zero";
            Update(mode2, 5, "27");
            EXPECT_EQ(Chip().Code(5), 0xA00 + 100);
            ModeWindowTest::Click(mode2, "Command2");
        });
        EXPECT_EQ(Chip().WordsApplied(), 7u);
        EXPECT_EQ(Chip().MalformedWords(), 0u);
        Codes expected{};
        expected[5] = 0xA00 + 100;
        expected[6] = 4095;
        EXPECT_EQ(Chip().Codes(), expected);
        EXPECT_EQ(PanelText("channelDecimal6"), "4095");
    });
    EXPECT_EQ(messages.beeps, 0);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(VirtualBoardRun, Lpt2SendsLaterWritesOffTheBoard) {
    // On the query path LPT2 is greyed out; Windows 98 leaves it to the operator.
    Run(Windows98, [this] {
        EXPECT_TRUE(form->findChild<QAction*>("MnuLPT1")->isChecked());
        Click("Command4");
        const Codes swept = Chip().Codes();
        const std::uint64_t applied = Chip().WordsApplied();

        Choose("MnuLPT2");
        EXPECT_EQ(board.StrayWrites(), 0u) << "choosing a port writes nothing";
        ClickToOpen("Command1", [](QWidget& mode1) {
            Update(mode1, 5, "a00");
            ModeWindowTest::Click(mode1, "Command2");
        });
        Click("Command5");
        EXPECT_EQ(Chip().Codes(), swept);
        EXPECT_EQ(Chip().WordsApplied(), applied);
        // 55 writes for the word, then the pulse's two (its read finds no port).
        EXPECT_EQ(board.StrayWrites(), 57u);
        EXPECT_EQ(board.LastStrayAddress(), 632);
        EXPECT_EQ(PanelText("strayWrites"), "57, last at 632 (0x278)");

        // Back on LPT1 the board follows again.
        Choose("MnuLPT1");
        ClickToOpen("Command1", [](QWidget& mode1) {
            Update(mode1, 5, "a00");
            ModeWindowTest::Click(mode1, "Command2");
        });
        EXPECT_EQ(Chip().Code(5), 0xA00);
        EXPECT_EQ(board.StrayWrites(), 57u);
    });
}

} // namespace
} // namespace qv4130::testing
