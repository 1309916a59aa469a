#include "ui/MainForm.h"
#include "about/HostFakes.h"
#include "board/Board.h"
#include "modes/ModeWindowHarness.h"
#include "ui/ApplicationIcon.h"
#include "ui/ChildWindows.h"
#include "ui/frmAbout.h"

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
// (mode 0), whatever mode was left. They take the chip out of power-down, but the
// button still says powered down, and powers it up.
TEST_F(MainFormTest, TheSweepWritesAllSixteenChannelsWhateverTheModeAndPowerLeft) {
    Click("Power Down QV4130");
    port.calls.clear();
    Click("Test");
    std::vector<Calls> words;
    for (std::int32_t channel = 0; channel < 16; ++channel) {
        words.push_back(WordWrites(888, channel * 4096 + 3072));
    }
    EXPECT_EQ(pauses, words);
    Click("Power Up QV4130");
    EXPECT_EQ(state.DevicePowered, 1);
}

TEST_F(MainFormTest, PortMenuMovesTheMarkAndWritesNothingAndQuitOnlyExits) {
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
    // The Test button lies below the client area: only the keyboard reaches it.
    EXPECT_GE(Find(*form, "Test")->y(), form->centralWidget()->height());
}

// The Windows program file's icon (qv4130.ico, made by scripts/make-ico) shows
// the window's picture: same size, same colours, transparent in the same places;
// so does the About window.
TEST(ProgramIcon, TheIconFileAndAboutShowTheWindowsIcon) {
    // Premultiplied, every fully transparent pixel is the same whatever its colour.
    const auto seen = [](const QImage& image) {
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    EXPECT_TRUE(seen(QImage(QV4130_ICON_FILE)) == seen(ApplicationIconPixmap().toImage()));
    FakeSystemInformationHost host;
    EXPECT_EQ(frmAbout(host.Host()).findChild<QLabel*>("picIcon")->pixmap().toImage(),
              ApplicationIconPixmap().toImage());
}

} // namespace
} // namespace qv4130::test
