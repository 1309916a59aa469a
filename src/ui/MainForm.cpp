#include "MainForm.h"

#include "ApplicationIcon.h"

#include "FormGeometry.h"
#include "board/BoardActions.h"
#include "board/PortIo.h"
#include "qv4130/BoardVocabulary.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <cstdlib>
#include <utility>

namespace qv4130 {

namespace {
// Layout in twips. Every button shares the left edge and the width.
constexpr int ClientWidth = 2550;
constexpr int ClientHeight = 3150;
constexpr int ButtonLeft = 240;
constexpr int ButtonWidth = 2055;
constexpr int ButtonHeight = 375;
// The test button sits below the client area, out of the mouse's reach: only
// the keyboard gets to it, as the last stop of the tab order.
constexpr int TestButtonTop = 3480;
constexpr int TestButtonHeight = 495;

constexpr const char* PowerDownCaption = "Power Down QV4130";
constexpr const char* PowerUpCaption = "Power Up QV4130";

std::size_t ItemIndex(PortMenuItem item) {
    return static_cast<std::size_t>(item);
}
} // namespace

MainForm::MainForm(Board& board, MessageSink& messages, ChildWindows children, MainFormHooks hooks,
                   QWidget* parent)
    : QMainWindow(parent), board_(board), state_(board.Shared()), messages_(messages),
      children_(std::move(children)), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromLatin1(ApplicationTitle));
    setWindowIcon(ApplicationIcon());
    // Fixed single border with a close box, no minimise or maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    SetClientSizeInTwips(*client, ClientWidth, ClientHeight, true);

    // An etched separator under the menu bar: a dark line with a light one below.
    AddLine("Line1", 0, 0, 2640, QPalette::Mid);
    AddLine("Line2", -225, 15, 2895, QPalette::Light);

    Command1 =
        AddButton("Command1", "Mode &1 Operation", 240, ButtonHeight, &MainForm::Command1_Click);
    Command2 = AddButton("Command2", "&Quit", 2640, ButtonHeight, &MainForm::Command2_Click);
    Command3 = AddButton("Command3", "&About", 2160, ButtonHeight, &MainForm::Command3_Click);
    CmdPd = AddButton("CmdPd", "&Power Down QV4130", 1680, ButtonHeight, &MainForm::CmdPd_Click);
    Command5 =
        AddButton("Command5", "&Reset QV4130", 1200, ButtonHeight, &MainForm::Command5_Click);
    Command6 =
        AddButton("Command6", "Mode &2 Operation", 720, ButtonHeight, &MainForm::Command6_Click);
    Command4 =
        AddButton("Command4", "Test", TestButtonTop, TestButtonHeight, &MainForm::Command4_Click);
    // Tab order by tab index; the unseen test button comes last.
    ChainTabOrder({Command1, Command2, Command3, CmdPd, Command5, Command6, Command4});

    QMenu* printerMenu = menuBar()->addMenu(QStringLiteral("P&rinter Port"));
    printerMenu->setObjectName(QStringLiteral("MnuPrinter"));
    const std::array<void (MainForm::*)(), PortMenuItems.size()> itemHandlers{
        &MainForm::MnuLPT1_Click, &MainForm::MnuLPT2_Click, &MainForm::MnuPRN_Click};
    for (PortMenuItem item : PortMenuItems) {
        const std::string_view name = PortMenuName(item);
        const QString caption =
            QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        QAction* action = printerMenu->addAction(caption);
        action->setObjectName(QStringLiteral("Mnu") + caption);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, itemHandlers.at(ItemIndex(item)));
        portItems_.at(ItemIndex(item)) = action;
    }

    // The window's size follows the client area and the menu bar, and stays fixed.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();

    Form_Load();
}

QPushButton* MainForm::AddButton(const char* name, const char* caption, int top, int height,
                                 void (MainForm::*handler)()) {
    auto* button =
        MakeControl<QPushButton>(centralWidget(), name, {ButtonLeft, top, ButtonWidth, height},
                                 QString::fromLatin1(caption));
    button->setFont(FormFont());
    // Enter presses the button that has the focus, as Space does.
    button->setAutoDefault(true);
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

QFrame* MainForm::AddLine(const char* name, int left, int top, int right,
                          QPalette::ColorRole colour) {
    auto* line = new QFrame(centralWidget());
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, palette.color(colour));
    line->setPalette(palette);
    line->setGeometry(TwipsToPixels(left, line), TwipsToPixels(top, line),
                      TwipsToPixels(right - left, line), 1);
    return line;
}

QAction* MainForm::PortItem(PortMenuItem item) const {
    return portItems_.at(ItemIndex(item));
}

void MainForm::DisablePortItem(PortMenuItem item) {
    PortItem(item)->setEnabled(false);
}

void MainForm::ShowSharedState() {
    ShowPowerState();
    ShowPortMark();
}

void MainForm::ShowPortMark() {
    // Marks only. The address may be one that no item names: start-up can load
    // the window with any, and then none is marked.
    const auto marked = PortMenuItemAt(state_.PortAddress);
    for (PortMenuItem item : PortMenuItems) {
        PortItem(item)->setChecked(item == marked);
    }
}

void MainForm::ShowPowerState() {
    CmdPd->setText(
        QString::fromLatin1(state_.DevicePowered == 1 ? PowerDownCaption : PowerUpCaption));
}

void MainForm::Form_Load() {
    CentreOnScreen(*this);
    // Data lines as outputs, then release reset with the chip powered up.
    board_.TakePortAndPowerUp();
    ShowPowerState();
    ShowPortMark();
}

void MainForm::CmdPd_Click() {
    // The whole byte is written, so clock, data and frame sync go idle too. The
    // caption always names what the next click will do.
    board_.SetPower(state_.DevicePowered != 1);
    ShowPowerState();
}

void MainForm::Command5_Click() {
    board_.PulseReset();
}

void MainForm::Command4_Click() {
    // The window neither repaints nor takes input until the last pause is over.
    board_.RunTestSweep(hooks_.sweepDelay);
}

void MainForm::Command2_Click() {
    // Ends at once: no window is told, the port keeps its last byte and the claim
    // is never given back.
    if (hooks_.quit) {
        hooks_.quit();
    } else {
        std::_Exit(0);
    }
}

void MainForm::SelectPort(PortMenuItem chosen) {
    // Nothing is written: the next byte simply goes to the new address.
    board_.SelectPort(chosen);
    ShowPortMark();
}

void MainForm::MnuLPT1_Click() {
    SelectPort(PortMenuItem::Lpt1);
}

void MainForm::MnuLPT2_Click() {
    SelectPort(PortMenuItem::Lpt2);
}

void MainForm::MnuPRN_Click() {
    SelectPort(PortMenuItem::Prn);
}

void MainForm::OpenModeWindow(const std::function<void(QWidget*)>& open) {
    if (state_.DevicePowered == 0) {
        messages_.ShowMessage(PowerUpFirstText, std::nullopt, MessageIcon::Exclamation);
        return;
    }
    if (open) {
        open(this);
    }
}

void MainForm::Command1_Click() {
    OpenModeWindow(children_.openMode1);
}

void MainForm::Command6_Click() {
    OpenModeWindow(children_.openMode2);
}

void MainForm::Command3_Click() {
    if (children_.openAbout) {
        children_.openAbout(this);
    }
}

// "&Reset QV4130" and the menu "P&rinter Port" share the access key R. Left to
// Qt, the pair is ambiguous: one Alt+R only moves the focus to the button, the
// next opens the menu, and the pulse never goes out from the keyboard. The
// window takes Alt+R before Qt's shortcuts see it and presses the button every
// time; the menu stays reachable with Alt alone, then the arrow keys or R.
bool MainForm::IsResetAccessKey(const QKeyEvent& key) const {
    return QKeySequence(key.keyCombination()) == QKeySequence::mnemonic(Command5->text());
}

bool MainForm::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        IsResetAccessKey(*static_cast<QKeyEvent*>(event))) {
        event->accept(); // comes back as a key press, to keyPressEvent
        return true;
    }
    return QMainWindow::event(event);
}

void MainForm::keyPressEvent(QKeyEvent* event) {
    if (IsResetAccessKey(*event)) {
        // A click at once, not Qt's animated one: two presses within its 100 ms
        // would merge into one pulse.
        Command5->setFocus(Qt::ShortcutFocusReason);
        Command5->click();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainForm::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

} // namespace qv4130
