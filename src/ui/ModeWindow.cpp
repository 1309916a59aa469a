#include "ModeWindow.h"

#include "board/Board.h"

#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <utility>

namespace qv4130 {

namespace {
// The channel options: two rows of eight, member i at left 120 + 600 * (i mod 8).
TwipsRect ChannelOptionRect(int member, int lastChannelTop) {
    constexpr int TopRow = 240;
    constexpr int BottomRow = 600;
    const int top = member == ChannelCount - 1 ? lastChannelTop : member < 8 ? TopRow : BottomRow;
    return {120 + 600 * (member % 8), top, 615, 255};
}

// A command button that never becomes a default button Enter would press
// from elsewhere in the window.
QPushButton* MakeCommandButton(QWidget* parent, const char* name, const TwipsRect& rect,
                               const char* caption) {
    auto* button = MakeControl<QPushButton>(parent, name, rect, QString::fromLatin1(caption));
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}
} // namespace

ModeWindow::ModeWindow(const ModeWindowLayout& layout, CheckedEntryField::Checker check,
                       Board& board, MessageSink& messages, QWidget* parent)
    : QDialog(parent), state_(board.Shared()), board_(board) {
    setObjectName(QString::fromLatin1(layout.objectName));
    setWindowTitle(QString::fromLatin1(layout.caption));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    setFont(FormFont());
    SetClientSizeInTwips(*this, layout.clientWidth, layout.clientHeight, false);

    Frame1 = MakeControl<QGroupBox>(this, "Frame1", layout.frame1);
    Label1 = MakeControl<QLabel>(Frame1, "Label1", layout.label1,
                                 QString::fromLatin1(layout.label1Caption));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Text1 =
        MakeControl<CheckedEntryField>(Frame1, "Text1", layout.text1, std::move(check), messages);
    Text1->setText(QStringLiteral("000"));
    connect(Text1, &CheckedEntryField::accepted, this, &ModeWindow::Text1_Accepted);
    connect(Text1, &CheckedEntryField::rejected, this, &ModeWindow::Text1_Rejected);

    // The entry check's own button; the operator never sees it.
    Command3 = MakeCommandButton(Frame1, "Command3", layout.command3, "Command3");
    Command3->hide();
    connect(Command3, &QPushButton::clicked, this, &ModeWindow::Command3_Click);

    Frame2 =
        MakeControl<QGroupBox>(this, "Frame2", layout.frame2, QStringLiteral("Select Channel"));
    for (int member = 0; member < ChannelCount; ++member) {
        const QString caption = QStringLiteral("%1").arg(member, 2, 10, QChar('0'));
        auto* option =
            MakeControl<QRadioButton>(Frame2, QStringLiteral("Option1_%1").arg(member),
                                      ChannelOptionRect(member, layout.lastChannelTop), caption);
        OnSelected(option, [this, member] { Option1_Click(member); });
        Option1[static_cast<std::size_t>(member)] = option;
    }

    Command1 = MakeCommandButton(this, "Command1", layout.command1, "Update Channel");
    connect(Command1, &QPushButton::clicked, this, &ModeWindow::Command1_Click);
    Command2 = MakeCommandButton(this, "Command2", layout.command2, "Back");
    connect(Command2, &QPushButton::clicked, this, &ModeWindow::Command2_Click);

    // The focus target: right of the client area, out of sight unless the
    // operator enlarges the window, so a finished entry leaves no visible focus.
    auto* pic = MakeControl<QFrame>(this, "Pic", layout.pic);
    pic->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pic->setFocusPolicy(Qt::StrongFocus);
    Pic = pic;
    Text1->SetFocusTarget(Pic);
}

ModeWindow::~ModeWindow() {
    for (QObject* child : findChildren<QObject*>()) {
        child->disconnect(this);
    }
}

void ModeWindow::OnSelected(QRadioButton* option, std::function<void()> handler) {
    connect(option, &QRadioButton::toggled, this, [handler = std::move(handler)](bool selected) {
        if (selected) {
            handler();
        }
    });
}

void ModeWindow::Option1_Click(int index) {
    state_.SelectedChannel = static_cast<std::int16_t>(index);
}

void ModeWindow::Command3_Click() {
    Text1->RunCheck();
}

void ModeWindow::Text1_Accepted(std::int16_t value) {
    entryRejected_ = false;
    state_.DataValue = value;
}

void ModeWindow::Text1_Rejected() {
    entryRejected_ = true;
}

void ModeWindow::Command1_Click() {
    // Qt still delivers the click whose press took the focus out of the field,
    // even when the entry was rejected on the way; the previous value must not
    // go out as if the rejected entry had been accepted.
    if (entryRejected_) {
        return;
    }
    SendChannelCommand();
}

void ModeWindow::Command2_Click() {
    reject();
}

void ModeWindow::SendChannelCommand() {
    board_.SendChannelCommand();
}

void ModeWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (loaded_) {
        return;
    }
    loaded_ = true;
    Form_Load();
    // Start on the selected channel, never in the entry field: the field's
    // design text is only checked once the operator has been in it.
    for (QRadioButton* option : Option1) {
        if (option->isChecked()) {
            option->setFocus(Qt::OtherFocusReason);
        }
    }
}

void ModeWindow::keyPressEvent(QKeyEvent* event) {
    // No cancel button either: only Back and the close box unload the window, so
    // Esc must not reach QDialog, which would close it from any control and skip
    // the entry check.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    // No default button: Enter presses only a command button that has the focus.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace qv4130
