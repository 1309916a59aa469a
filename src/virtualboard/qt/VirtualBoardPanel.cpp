#include "VirtualBoardPanel.h"

#include "PanelPlacement.h"
#include "PanelText.h"
#include "TimingDiagram.h"
#include "trace/MonotonicClock.h"
#include "trace/WriteHistory.h"

#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace qv4130 {

namespace {
// The channels sit in two blocks of eight side by side, so the window stays
// short enough to stand beside the main window.
constexpr int ChannelsPerBlock = ChannelCount / 2;
constexpr int ColumnsPerBlock = 6; // number, hex, decimal, volts, output, gap

// Asks for room for all of its content, where QScrollArea asks for at most
// 24 lines: the panel is shrunk to the screen only where the screen is smaller.
class WholeContentScrollArea final : public QScrollArea {
public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override {
        const int frame = 2 * frameWidth();
        return widget()->sizeHint() + QSize(frame, frame);
    }

protected:
    // The content's layout changed (a font, a longer text): so did this hint.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget() && event->type() == QEvent::LayoutRequest) {
            updateGeometry();
        }
        return QScrollArea::eventFilter(watched, event);
    }
};

QLabel* NewValueLabel(const QString& objectName, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLabel* AddValueRow(QFormLayout& form, const QString& caption, const QString& objectName) {
    auto* label = NewValueLabel(objectName, form.parentWidget());
    form.addRow(caption, label);
    return label;
}

QLabel* NewCodeLabel(const QString& objectName, const QFont& font, QWidget* parent) {
    auto* label = NewValueLabel(objectName, parent);
    label->setFont(font);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}
} // namespace

VirtualBoardPanel::VirtualBoardPanel(VirtualBoard& board, const AnalogModel* analog,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window), board_(board), analog_(analog) {
    setObjectName(QStringLiteral("virtualBoardPanel"));
    setWindowTitle(QString::fromLatin1(WindowTitle));
    // The program's life follows the main window; this one only watches.
    setAttribute(Qt::WA_QuitOnClose, false);

    // The groups scroll where the screen is too small for them (a laptop, a
    // large desktop font); the button stays in view below them.
    auto* scroll = new WholeContentScrollArea(this);
    scroll->setObjectName(QStringLiteral("panelScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* content = new QWidget(scroll);
    auto* groups = new QVBoxLayout(content);
    groups->setContentsMargins(0, 0, 0, 0);
    groups->addWidget(BuildChipGroup());
    groups->addWidget(BuildChannelsGroup());
    groups->addWidget(BuildWordsGroup());
    scroll->setWidget(content);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll);
    auto* saveTrace = new QPushButton(QStringLiteral("Save &Trace\u2026"), this);
    saveTrace->setObjectName(QStringLiteral("saveTrace"));
    saveTrace->setToolTip(QStringLiteral("Save the data register's writes, with their times, "
                                         "as a Value Change Dump"));
    connect(saveTrace, &QPushButton::clicked, this, &VirtualBoardPanel::SaveTrace);
    characterise_ = new QPushButton(QStringLiteral("&Characterise\u2026"), this);
    characterise_->setObjectName(QStringLiteral("characterise"));
    characterise_->setToolTip(
        QStringLiteral("Measure a channel's linearity with the board's simulated meter"));
    characterise_->hide();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(saveTrace);
    buttons->addWidget(characterise_);
    layout->addLayout(buttons);
    chooseTraceFile_ = [](QWidget* parent) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Save Trace"), QString(),
                                            QStringLiteral("Value Change Dump (*.vcd)"));
    };

    refreshTimer_.setSingleShot(true);
    refreshTimer_.setInterval(0);
    connect(&refreshTimer_, &QTimer::timeout, this, &VirtualBoardPanel::Refresh);

    Refresh();
    board_.AddObserver(*this);
}

VirtualBoardPanel::~VirtualBoardPanel() {
    board_.RemoveObserver(*this);
}

QWidget* VirtualBoardPanel::BuildChipGroup() {
    auto* group = new QGroupBox(QStringLiteral("Chip"), this);
    auto* form = new QFormLayout(group);
    chipState_ = AddValueRow(*form, QStringLiteral("State:"), QStringLiteral("chipState"));
    dataRegister_ =
        AddValueRow(*form, QStringLiteral("Data register:"), QStringLiteral("dataRegister"));
    controlRegister_ =
        AddValueRow(*form, QStringLiteral("Control register:"), QStringLiteral("controlRegister"));
    dataRegister_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return group;
}

QWidget* VirtualBoardPanel::BuildChannelsGroup() {
    auto* group = new QGroupBox(QStringLiteral("Channels"), this);
    auto* grid = new QGridLayout(group);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int block = 0; block < ChannelCount / ChannelsPerBlock; ++block) {
        const int column = block * ColumnsPerBlock;
        grid->addWidget(new QLabel(QStringLiteral("Ch"), group), 0, column);
        grid->addWidget(new QLabel(QStringLiteral("Hex"), group), 0, column + 1, Qt::AlignRight);
        grid->addWidget(new QLabel(QStringLiteral("Dec"), group), 0, column + 2, Qt::AlignRight);
        if (analog_ != nullptr) {
            grid->addWidget(new QLabel(QStringLiteral("Volts"), group), 0, column + 3,
                            Qt::AlignRight);
        }
        grid->addWidget(new QLabel(QStringLiteral("Output"), group), 0, column + 4);
        grid->setColumnStretch(column + 4, 1);
        if (block > 0) {
            grid->setColumnMinimumWidth(column - 1, 12);
        }
    }
    for (int channel = 0; channel < ChannelCount; ++channel) {
        const int row = 1 + channel % ChannelsPerBlock;
        const int column = (channel / ChannelsPerBlock) * ColumnsPerBlock;
        auto& widgets = channels_.at(static_cast<std::size_t>(channel));
        const QString n = QString::number(channel);
        widgets.hex = NewCodeLabel(QStringLiteral("channelHex") + n, fixed, group);
        widgets.decimal = NewCodeLabel(QStringLiteral("channelDecimal") + n, fixed, group);
        widgets.output = new QProgressBar(group);
        widgets.output->setObjectName(QStringLiteral("channelOutput") + n);
        widgets.output->setAccessibleName(QStringLiteral("Channel %1 output").arg(channel));
        widgets.output->setRange(0, FullScaleCode);
        widgets.output->setFormat(QStringLiteral("%p%"));
        widgets.output->setMinimumWidth(80);
        grid->addWidget(new QLabel(n, group), row, column);
        grid->addWidget(widgets.hex, row, column + 1);
        grid->addWidget(widgets.decimal, row, column + 2);
        if (analog_ != nullptr) {
            widgets.volts = NewCodeLabel(QStringLiteral("channelVolts") + n, fixed, group);
            grid->addWidget(widgets.volts, row, column + 3);
        }
        grid->addWidget(widgets.output, row, column + 4);
    }
    return group;
}

QWidget* VirtualBoardPanel::BuildWordsGroup() {
    auto* group = new QGroupBox(QStringLiteral("Words"), this);
    auto* layout = new QVBoxLayout(group);
    // The counts in two pairs of columns, then the last word's timing and meaning.
    auto* counts = new QGridLayout;
    layout->addLayout(counts);
    auto addCount = [&](int row, int column, const QString& caption, const QString& name) {
        counts->addWidget(new QLabel(caption, group), row, column);
        auto* value = NewValueLabel(name, group);
        counts->addWidget(value, row, column + 1);
        return value;
    };
    wordsApplied_ = addCount(0, 0, QStringLiteral("Applied:"), QStringLiteral("wordsApplied"));
    malformedWords_ =
        addCount(0, 2, QStringLiteral("Malformed:"), QStringLiteral("malformedWords"));
    wordsIgnored_ =
        addCount(1, 0, QStringLiteral("Ignored (mode 3):"), QStringLiteral("wordsIgnored"));
    strayWrites_ = addCount(1, 2, QStringLiteral("Off the board:"), QStringLiteral("strayWrites"));
    strayWrites_->setToolTip(
        QStringLiteral("Writes to addresses where no port answers, such as LPT2 or PRN"));
    counts->setColumnStretch(1, 1);
    counts->setColumnStretch(3, 2);

    timing_ = new TimingDiagram(group);
    decodedWord_ = NewValueLabel(QStringLiteral("decodedWord"), group);
    layout->addWidget(timing_);
    layout->addWidget(decodedWord_);
    return group;
}

namespace {
constexpr int FramedPlacementDelayMs = 250;
} // namespace

void VirtualBoardPanel::FitBeside(const QWidget& anchor) {
    ensurePolished(); // the groups' fonts and style set, so that their size hints hold
    resize(sizeHint());
    PlaceBeside(*this, anchor);
    if (height() < sizeHint().height()) {
        // Shrunk to the screen: the groups scroll up and down, so widen the window
        // by the scroll bar rather than let them scroll sideways as well.
        resize(width() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), height());
        PlaceBeside(*this, anchor);
    }
}

void VirtualBoardPanel::ShowBeside(const QWidget& anchor) {
    FitBeside(anchor);
    setAttribute(Qt::WA_ShowWithoutActivating);
    show();
    // A window manager adds the title bars only once the windows are mapped, so
    // the first placement reckons without them; place again once they exist.
    const QPointer<const QWidget> placedBeside(&anchor);
    QTimer::singleShot(FramedPlacementDelayMs, this, [this, placedBeside] {
        if (placedBeside != nullptr && isVisible()) {
            FitBeside(*placedBeside);
        }
    });
}

void VirtualBoardPanel::BoardChanged() {
    // Called from inside a port write: only note that a redraw is due.
    if (!stale_) {
        stale_ = true;
        refreshTimer_.start();
    }
}

void VirtualBoardPanel::Refresh() {
    stale_ = false;
    const Qv4130Chip& chip = board_.Chip();

    chipState_->setText(
        (chip.HeldInReset() ? QStringLiteral("Held in reset, ") : QStringLiteral("Running, ")) +
        (chip.PoweredDown() ? QStringLiteral("powered down (outputs at 0)")
                            : QStringLiteral("powered up")));
    dataRegister_->setText(DescribeLines(board_.DataRegister()));
    controlRegister_->setText(ByteHex(board_.ControlRegister()));

    wordsApplied_->setText(QString::number(chip.WordsApplied()));
    wordsIgnored_->setText(QString::number(chip.WordsIgnored()));
    malformedWords_->setText(QString::number(chip.MalformedWords()));
    strayWrites_->setText(board_.StrayWrites() == 0
                              ? QStringLiteral("0")
                              : QStringLiteral("%1, last at %2")
                                    .arg(board_.StrayWrites())
                                    .arg(AddressText(board_.LastStrayAddress())));

    for (int channel = 0; channel < ChannelCount; ++channel) {
        const auto& widgets = channels_.at(static_cast<std::size_t>(channel));
        const int code = chip.Code(channel);
        widgets.hex->setText(CodeHex(code));
        widgets.decimal->setText(QString::number(code));
        widgets.output->setValue(chip.Output(channel));
        if (widgets.volts != nullptr) {
            // Steady: the panel must not draw from the noise a meter reads.
            widgets.volts->setText(
                QStringLiteral("%1 V").arg(analog_->SteadyOutput(chip, channel), 0, 'f', 4));
        }
    }

    timing_->SetWord(chip.LastWord());
    decodedWord_->setText(DescribeWord(chip.LastWord()));
}

void VirtualBoardPanel::SetCharacteriseOpener(std::function<void()> open) {
    disconnect(characterise_, &QPushButton::clicked, nullptr, nullptr);
    connect(characterise_, &QPushButton::clicked, this, std::move(open));
    characterise_->show();
}

void VirtualBoardPanel::SaveTrace() {
    const QString path = chooseTraceFile_(this);
    if (path.isEmpty()) {
        return;
    }
    const std::string error = qv4130::SaveTrace(
        board_.DataWrites(), QFile::encodeName(path).toStdString(), MonotonicNs());
    if (!error.empty()) {
        QMessageBox::warning(this, QStringLiteral("Save Trace"), QString::fromStdString(error));
    }
}

} // namespace qv4130
