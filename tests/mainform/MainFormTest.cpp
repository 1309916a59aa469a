#include "ui/MainForm.h"
#include "about/HostFakes.h"
#include "board/Board.h"
#include "modes/ModeWindowHarness.h"
#include "scpi/Interpreter.h"
#include "ui/ApplicationIcon.h"
#include "ui/ChildWindows.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace qv4130::test {
namespace {

using Calls = std::vector<PortCall>;

// The main window at 888 with the program's own child windows, loaded (its load
// handler runs in the constructor) and its load's calls forgotten.
class MainFormTest : public WindowTest {
protected:
    void SetUp() override {
        state.FrameMode = 2; // as Mode 2 leaves it
        const MainFormHooks hooks{[this] { ++quits; }, [this] { pauses.push_back(port.Take()); }};
        form = std::make_unique<MainForm>(board, messages,
                                          ProgramChildWindows(board, messages, host.Host()), hooks);
        port.calls.clear();
    }
    void Click(const char* caption) { WindowTest::Click(*form, caption); }
    // The port menu's items in order, each told by its caption when marked, by "-" when not.
    QString Marks() const {
        QString marks;
        for (const QAction* item : form->findChild<QMenu*>()->actions()) {
            marks += item->isChecked() ? item->text() : "-";
        }
        return marks;
    }
    FakeSystemInformationHost host;
    int quits = 0;
    std::vector<Calls> pauses; // each pause of the sweep, with the calls made before it
    std::unique_ptr<MainForm> form;
};

// The sweep's 16 words, 0x00C00 to 0x0FC00, each followed by a pause: writes
// (mode 0), whatever mode was left.
std::vector<Calls> SweepWords() {
    std::vector<Calls> words;
    for (std::int32_t channel = 0; channel < 16; ++channel) {
        words.push_back(WordWrites(888, channel * 4096 + 3072));
    }
    return words;
}

TEST_F(MainFormTest, PowerTogglesResetPulsesAndTheSweepWritesAllSixteenChannels) {
    EXPECT_EQ(form->windowTitle(), "QV4130");
    Click("Power Down QV4130");
    // Reset right after a power-down keeps the chip powered down.
    Click("&Reset QV4130");
    EXPECT_EQ(port.Take(), (Calls{Out(888, 0x1C), In(888), Out(888, 0x0C), Out(888, 0x1C)}));
    Click("Test");
    EXPECT_EQ(pauses, SweepWords());
    // The words took the chip out of power-down, but the button still says powered
    // down. Right after a sweep the data register holds 0x16.
    Click("&Reset QV4130");
    Click("Power Up QV4130");
    EXPECT_EQ(state.DevicePowered, 1);
    EXPECT_EQ(port.calls, (Calls{In(888), Out(888, 0x06), Out(888, 0x16), Out(888, 0x14)}));
}

// "&Reset QV4130" and "P&rinter Port" share the access key R: each Alt+R presses
// the button, wherever the focus is; Alt alone, then Down or R, opens the menu.
// The Test button is the keyboard's alone, Enter presses it.
TEST_F(MainFormTest, EachAltRPulsesResetAltThenDownOpensThePortMenuAndTabReachesTest) {
    ShowActive(*form);
    Find(*form, "&Quit")->setFocus();
    QTest::keyClick(Focus(), Qt::Key_R, Qt::AltModifier);
    QTest::keyClick(Focus(), Qt::Key_R, Qt::AltModifier);
    EXPECT_EQ(port.Take(), (Calls{In(888), Out(888, 0x04), Out(888, 0x14), In(888), Out(888, 0x04),
                                  Out(888, 0x14)}));

    auto* menu = form->findChild<QMenu*>("MnuPrinter");
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_R}) {
        QTest::keyClick(Focus(), Qt::Key_Alt, Qt::AltModifier);
        QTest::keyClick(Focus(), key);
        EXPECT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); })) << key;
        // Esc closes the menu, a second one leaves the menu bar.
        QTest::keyClick(menu, Qt::Key_Escape);
        QTest::keyClick(Focus(), Qt::Key_Escape);
    }
    EXPECT_FALSE(menu->isVisible());
    EXPECT_TRUE(port.calls.empty());

    // The Test button lies below the client area: only the seventh stop of Tab reaches it.
    EXPECT_TRUE(Find(*form, "Test")->visibleRegion().isEmpty());
    Find(*form, "Mode &1 Operation")->setFocus();
    for (int tab = 1; tab <= 6; ++tab) {
        QTest::keyClick(Focus(), Qt::Key_Tab);
    }
    QTest::keyClick(Focus(), Qt::Key_Return);
    EXPECT_EQ(pauses, SweepWords());
}

TEST_F(MainFormTest, PortMenuMovesTheMarkAndWritesNothingAndQuitOnlyExits) {
    EXPECT_EQ(form->findChild<QMenu*>()->title(), "P&rinter Port");
    EXPECT_EQ(Marks(), "LPT1--");
    // Choosing the marked item keeps it marked.
    // clang-format off
    for (const auto& [item, address, marks] : {std::tuple{"MnuPRN", 956, "--PRN"},
             {"MnuLPT1", 888, "LPT1--"}, {"MnuLPT1", 888, "LPT1--"}, {"MnuLPT2", 632, "-LPT2-"}}) {
        // clang-format on
        form->findChild<QAction*>(item)->trigger();
        EXPECT_EQ(Marks(), marks);
        EXPECT_EQ(state.PortAddress, address) << item;
    }
    EXPECT_TRUE(port.calls.empty());
    // The next byte goes to the new port, whose control register is left alone.
    Click("Power Down QV4130");
    EXPECT_EQ(port.Take(), (Calls{Out(632, 0x1C)}));
    Click("&Quit");
    EXPECT_EQ(quits, 1);
}

// Through the program's own wiring: the mode windows over the main window while
// the chip is powered up, About always.
TEST_F(MainFormTest, ButtonsOpenTheProgramsWindows) {
    QStringList opened;
    for (const char* caption : {"Mode &1 Operation", "Mode &2 Operation", "&About",
                                "Power Down QV4130", "Mode &1 Operation", "&About"}) {
        WorkModal([&] { Click(caption); },
                  [&](QWidget& window) {
                      // Modal to the main window alone: the panel and the
                      // Characterise window take input beside it.
                      const bool blocksMainOnly =
                          window.windowModality() == Qt::WindowModal &&
                          window.windowHandle()->transientParent() == form->windowHandle();
                      opened << window.windowTitle() +
                                    (window.parentWidget() == form.get() ? " over" : "") +
                                    (blocksMainOnly ? "" : " blocking too much");
                      window.close();
                  });
    }
    EXPECT_EQ(opened, QStringList({"Mode 1 Operation over", "Mode 2 Operation over", "About QV4130",
                                   "About QV4130"}));
    EXPECT_EQ(messages.boxes,
              (std::vector<ShownMessage>{{"The QV4130 must be Powered Up to proceed", "QV4130",
                                          MessageIcon::Exclamation}}));
}

// A SCPI client (--listen) shares the window's power state both ways: the
// button and the port's mark follow what a line changed once the server has run it.
TEST_F(MainFormTest, TheButtonAndThePortMarkFollowTheSharedStateAfterAScpiLine) {
    scpi::Interpreter interpreter(board);
    std::vector<std::string> replies;
    interpreter.ExecuteLine("OUTP OFF;:SYST:PORT LPT2", replies);
    form->ShowSharedState();
    EXPECT_EQ(Marks(), "-LPT2-");
    Click("Power Up QV4130");
    interpreter.ExecuteLine("OUTP?", replies);
    EXPECT_EQ(replies, std::vector<std::string>{"1"});
}

// About as the operator gets it from the main window: with no owner, its texts
// and icon, the focus on OK, and its keys.
TEST_F(MainFormTest, AboutShowsTheProgramAndItsKeysWorkIt) {
    WorkModal([this] { Click("&About"); },
              [this](QWidget& about) {
                  EXPECT_EQ(about.parentWidget(), nullptr);
                  EXPECT_EQ(about.windowTitle(), "About QV4130");
                  EXPECT_EQ(about.findChild<QLabel*>("lblVersion")->text(), "Version 2.0.1");
                  EXPECT_EQ(about.findChild<QLabel*>("picIcon")->pixmap().toImage(),
                            ApplicationIconPixmap().toImage());
                  EXPECT_EQ(Focus(), Find(about, "OK"));
                  // The lookups are StartSysInfo's own tests; its access key must run them
                  // (on this empty registry they end in the message) and leave the window open.
                  QTest::keyClick(Focus(), Qt::Key_S, Qt::AltModifier);
                  EXPECT_TRUE(QTest::qWaitFor([&] { return host.messages.boxes.size() == 1; }));
                  EXPECT_TRUE(about.isVisible());
                  // OK is the default button: Enter on the icon presses it.
                  Find(about, "picIcon")->setFocus();
                  QTest::keyClick(Focus(), Qt::Key_Enter);
                  EXPECT_FALSE(about.isVisible());
              });
    // OK is the cancel button too, unlike the mode windows: Esc closes the window.
    WorkModal([this] { Click("&About"); },
              [](QWidget& about) {
                  QTest::keyClick(Find(about, "picIcon"), Qt::Key_Escape);
                  EXPECT_FALSE(about.isVisible());
                  about.close();
              });
}

// The Windows program file's icon (qv4130.ico, made by scripts/make-ico) shows
// the window's picture: same size, same colours, transparent in the same places.
TEST(ProgramIcon, TheIconFileIsTheWindowsIcon) {
    // Premultiplied, every fully transparent pixel is the same whatever its colour.
    const auto seen = [](const QImage& image) {
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    EXPECT_TRUE(seen(QImage(QV4130_ICON_FILE)) == seen(ApplicationIconPixmap().toImage()));
}

} // namespace
} // namespace qv4130::test
