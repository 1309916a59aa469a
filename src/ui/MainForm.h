#pragma once

#include "ChildWindows.h"
#include "board/Board.h"
#include "host/MessageSink.h"
#include "startup/MainWindowAccess.h"

#include <QMainWindow>

#include <array>
#include <functional>

class QAction;
class QFrame;
class QKeyEvent;
class QPushButton;

namespace qv4130 {

// What the main window does that a test must not: end the process, spin the
// processor.
struct MainFormHooks {
    // Ends the process at once. Empty: the real exit, with nothing released.
    std::function<void()> quit;
    // The pause after each word of the test sweep. Empty: the 5,000,000-pass count.
    std::function<void()> sweepDelay;
};

// The text of the box that refuses the mode windows while the chip is powered down.
inline constexpr const char* PowerUpFirstText = "The QV4130 must be Powered Up to proceed";

// The operator's home window: power, reset, the test sweep, the port menu and
// the way into the other windows. Constructing it loads it: Form_Load runs at
// the end of the constructor and writes to the port.
class MainForm final : public QMainWindow {
    Q_OBJECT

public:
    MainForm(Board& board, MessageSink& messages, ChildWindows children, MainFormHooks hooks = {},
             QWidget* parent = nullptr);

    // Greys out one port item; nothing enables it again.
    void DisablePortItem(PortMenuItem item);

    // The power button's caption and the port menu's mark again from the shared
    // state, after someone other than this window (a SCPI client) changed them.
    void ShowSharedState();

    // The event handlers, named after their controls.
    void Form_Load();
    void CmdPd_Click();
    void Command5_Click();
    void Command4_Click();
    void Command2_Click();
    void MnuLPT1_Click();
    void MnuLPT2_Click();
    void MnuPRN_Click();
    void Command1_Click();
    void Command6_Click();
    void Command3_Click();

signals:
    // The window was closed with its close box: the run is over.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool IsResetAccessKey(const QKeyEvent& key) const;
    QPushButton* AddButton(const char* name, const char* caption, int top, int height,
                           void (MainForm::*handler)());
    QFrame* AddLine(const char* name, int left, int top, int right, QPalette::ColorRole colour);
    QAction* PortItem(PortMenuItem item) const;
    void ShowPowerState();
    void ShowPortMark();
    void SelectPort(PortMenuItem item);
    void OpenModeWindow(const std::function<void(QWidget*)>& open);

    Board& board_;
    SharedState& state_;
    MessageSink& messages_;
    ChildWindows children_;
    MainFormHooks hooks_;

    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* CmdPd = nullptr;
    // MnuLPT1, MnuLPT2 and MnuPRN, in the order of PortMenuItems.
    std::array<QAction*, PortMenuItems.size()> portItems_{};
};

} // namespace qv4130
