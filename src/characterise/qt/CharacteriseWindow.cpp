#include "CharacteriseWindow.h"

#include "LinearityPlots.h"
#include "SaveWhole.h"
#include "characterise/LinearityReport.h"
#include "characterise/MeterAddress.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <sstream>

namespace qv4130::characterise {

namespace {

QSpinBox* NewSpinBox(const QString& name, int low, int high, int value, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(low, high);
    box->setValue(value);
    return box;
}

QPushButton* NewButton(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QLabel* NewTextLabel(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

QString EndingText(const RunOutcome& outcome, const RunStanding& standing, int channel) {
    QString text = !outcome.failure.empty() ? QString::fromStdString(outcome.failure)
                   : outcome.stopped        ? QStringLiteral("Stopped")
                   : standing.suspect       ? QString::fromStdString(*standing.suspect)
                                            : QStringLiteral("Done");
    text[0] = text[0].toUpper();
    text += (outcome.points.size() == 1 ? QStringLiteral("; %1 code kept")
                                        : QStringLiteral("; %1 codes kept"))
                .arg(outcome.points.size());
    text += outcome.endCodeWritten
                ? QStringLiteral("; channel %1 back at %2.").arg(channel).arg(outcome.endCode)
                : QStringLiteral("; channel %1 could not be written back.").arg(channel);
    return text;
}

// "HOST[:PORT] or /dev/usbtmcN", as the meter link reads it.
QString MeterSyntax() {
    return QString::fromLatin1(MeterAddressSyntax.data(),
                               static_cast<qsizetype>(MeterAddressSyntax.size()));
}

} // namespace

CharacteriseWindow::CharacteriseWindow(CharacteriseWindowSetup setup, QWidget* parent)
    : QWidget(parent, Qt::Window), setup_(std::move(setup)) {
    setObjectName(QStringLiteral("characteriseWindow"));
    setWindowTitle(QString::fromLatin1(WindowTitle));
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* side = new QVBoxLayout;
    side->addWidget(BuildSettings());
    side->addWidget(BuildRunControls());
    summary_ = NewTextLabel(QStringLiteral("summary"), this);
    summary_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    summary_->setWordWrap(false); // short lines, in columns
    status_ = NewTextLabel(QStringLiteral("status"), this);
    side->addWidget(summary_);
    side->addWidget(status_);
    side->addStretch(1);
    // The settings and the plots scroll where the window is smaller than they
    // are: a laptop's screen is often shorter than the two stacked.
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setFocusPolicy(Qt::NoFocus); // Tab goes from the last button back to the first field
    auto* content = new QWidget(scroll);
    plots_ = new LinearityPlots(content);
    layout_ = new QBoxLayout(QBoxLayout::LeftToRight, content);
    side_ = side;
    layout_->addLayout(side);
    layout_->addWidget(plots_, 1);
    scroll->setWidget(content);
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(scroll);

    redrawTimer_.setSingleShot(true);
    redrawTimer_.setInterval(RedrawIntervalMs);
    connect(&redrawTimer_, &QTimer::timeout, this, &CharacteriseWindow::Redraw);
    connect(&stepper_, &RunStepper::Measured, this, [this] {
        if (!redrawTimer_.isActive()) {
            redrawTimer_.start();
        }
    });
    connect(&stepper_, &RunStepper::Ended, this, &CharacteriseWindow::RunEnded);
    ShowRunning(false);
    // Narrow enough for the stacked settings and plots with a scroll bar beside
    // them, and as short as the two side by side: at its least size the settings
    // and the run's buttons still fit, and what is scrolled to is the plots.
    const QMargins margins = layout_->contentsMargins();
    setMinimumSize(minimumSizeHint().width() +
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll),
                   std::max(side_->minimumSize().height(), plots_->minimumHeight()) +
                       margins.top() + margins.bottom());
    resize(1000, 700);
}

CharacteriseWindow::~CharacteriseWindow() = default;

bool CharacteriseWindow::FitsSideBySide(int width) const {
    const QMargins margins = layout_->contentsMargins();
    return width >= side_->sizeHint().width() + layout_->spacing() + plots_->minimumWidth() +
                        margins.left() + margins.right();
}

QSize CharacteriseWindow::minimumSizeHint() const {
    // Narrow, the settings stand above the plots: beside a main window and the
    // panel on a small desktop there is often a tall strip and little more. This
    // is the size that shows them all unscrolled, where the window is placed; the
    // window itself may be smaller and scroll.
    const QMargins margins = layout_->contentsMargins();
    return {std::max(side_->minimumSize().width(), plots_->minimumWidth()) + margins.left() +
                margins.right(),
            side_->minimumSize().height() + layout_->spacing() + plots_->minimumHeight() +
                margins.top() + margins.bottom()};
}

void CharacteriseWindow::resizeEvent(QResizeEvent* event) {
    layout_->setDirection(FitsSideBySide(event->size().width()) ? QBoxLayout::LeftToRight
                                                                : QBoxLayout::TopToBottom);
    QWidget::resizeEvent(event);
}

QWidget* CharacteriseWindow::BuildSettings() {
    auto* group = new QGroupBox(QStringLiteral("Run"), this);
    settings_ = group;
    auto* form = new QFormLayout(group);
    meterAddress_ = new QLineEdit(group);
    meterAddress_->setObjectName(QStringLiteral("meterAddress"));
    const QString syntax = MeterSyntax();
    meterAddress_->setPlaceholderText(
        setup_.simulatedMeter ? QStringLiteral("empty: simulated meter") : syntax);
    meterAddress_->setToolTip(
        QStringLiteral("A SCPI voltmeter on the channel's output: %1 (port %2 unless given)")
            .arg(syntax)
            .arg(ScpiSocketPort));
    meterAddress_->setMinimumWidth(meterAddress_->fontMetrics().horizontalAdvance(syntax) + 24);
    form->addRow(QStringLiteral("&Meter:"), meterAddress_);
    channel_ = NewSpinBox(QStringLiteral("channel"), 0, ChannelCount - 1, 0, group);
    form->addRow(QStringLiteral("C&hannel:"), channel_);
    from_ = NewSpinBox(QStringLiteral("fromCode"), 0, FullScaleCode, 0, group);
    form->addRow(QStringLiteral("&From code:"), from_);
    to_ = NewSpinBox(QStringLiteral("toCode"), 0, FullScaleCode, FullScaleCode, group);
    form->addRow(QStringLiteral("&To code:"), to_);
    step_ = NewSpinBox(QStringLiteral("step"), 1, FullScaleCode, 1, group);
    form->addRow(QStringLiteral("Ste&p (codes):"), step_);
    settleMs_ = NewSpinBox(QStringLiteral("settleMs"), 0, int(MaxSettle.count()), 0, group);
    form->addRow(QStringLiteral("Sett&le (ms):"), settleMs_);
    average_ = NewSpinBox(QStringLiteral("readingsPerCode"), 1, MaxAverage, 1, group);
    form->addRow(QStringLiteral("&Readings per code:"), average_);
    vref_ = new QDoubleSpinBox(group);
    vref_->setObjectName(QStringLiteral("vref"));
    vref_->setRange(reference_volts::Min, reference_volts::Max);
    vref_->setDecimals(4);
    vref_->setValue(setup_.boardReferenceVolts);
    form->addRow(QStringLiteral("&Vref (V):"), vref_);
    codeSpan_ = NewSpinBox(QStringLiteral("codeSpan"), 1, 1 << 20, IdealTransfer{}.codeSpan, group);
    codeSpan_->setToolTip(QStringLiteral("The ideal output is code / divisor \u00d7 Vref"));
    form->addRow(QStringLiteral("Ideal &divisor:"), codeSpan_);
    endAtCode_ = new QCheckBox(QStringLiteral("&End at code:"), group);
    endAtCode_->setObjectName(QStringLiteral("endAtCode"));
    endAtCode_->setToolTip(
        QStringLiteral("Unticked, the channel is left at the code it had before the run"));
    endCode_ = NewSpinBox(QStringLiteral("endCode"), 0, FullScaleCode, 0, group);
    endCode_->setEnabled(false);
    connect(endAtCode_, &QCheckBox::toggled, endCode_, &QWidget::setEnabled);
    form->addRow(endAtCode_, endCode_);
    return group;
}

QWidget* CharacteriseWindow::BuildRunControls() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* buttons = new QHBoxLayout;
    start_ = NewButton(QStringLiteral("&Start"), QStringLiteral("start"), box);
    stop_ = NewButton(QStringLiteral("St&op"), QStringLiteral("stop"), box);
    start_->setDefault(true);
    buttons->addWidget(start_);
    buttons->addWidget(stop_);
    layout->addLayout(buttons);
    progress_ = new QProgressBar(box);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setValue(0);
    timeLeft_ = NewTextLabel(QStringLiteral("timeLeft"), box);
    layout->addWidget(progress_);
    layout->addWidget(timeLeft_);
    auto* saves = new QHBoxLayout;
    saveCsv_ = NewButton(QStringLiteral("Save &CSV\u2026"), QStringLiteral("saveCsv"), box);
    savePng_ = NewButton(QStringLiteral("Save P&NG\u2026"), QStringLiteral("savePng"), box);
    saveSvg_ = NewButton(QStringLiteral("Save SV&G\u2026"), QStringLiteral("saveSvg"), box);
    for (QPushButton* button : {saveCsv_, savePng_, saveSvg_}) {
        saves->addWidget(button);
    }
    saveSvg_->setVisible(LinearityPlots::CanSaveSvg());
    layout->addLayout(saves);
    connect(start_, &QPushButton::clicked, this, &CharacteriseWindow::StartRun);
    connect(stop_, &QPushButton::clicked, this, &CharacteriseWindow::StopRun);
    connect(saveCsv_, &QPushButton::clicked, this, &CharacteriseWindow::SaveCsv);
    connect(savePng_, &QPushButton::clicked, this, &CharacteriseWindow::SavePng);
    connect(saveSvg_, &QPushButton::clicked, this, &CharacteriseWindow::SaveSvg);
    return box;
}

std::optional<RunSettings> CharacteriseWindow::ReadSettings() {
    RunSettings settings{.channel = channel_->value(),
                         .from = from_->value(),
                         .to = to_->value(),
                         .step = step_->value(),
                         .settle = std::chrono::milliseconds(settleMs_->value()),
                         .average = average_->value()};
    if (endAtCode_->isChecked()) {
        settings.endCode = endCode_->value();
    }
    if (const qv4130::Result<> valid = CheckSettings(settings); !valid) {
        status_->setText(QString::fromStdString(valid.Error()));
        return std::nullopt;
    }
    return settings;
}

IdealTransfer CharacteriseWindow::Ideal() const {
    // The field starts at the board's reference; what the operator types there
    // overrides it, as --vref does on the command line.
    IdealTransfer ideal = IdealFor(setup_.boardReferenceVolts, vref_->value());
    ideal.codeSpan = codeSpan_->value();
    return ideal;
}

void CharacteriseWindow::StartRun() {
    if (stepper_.Running() || stepper_.Connecting()) {
        return;
    }
    const std::optional<RunSettings> settings = ReadSettings();
    if (!settings) {
        return;
    }
    const QString address = meterAddress_->text().trimmed();
    if (address.isEmpty() && !setup_.simulatedMeter) {
        status_->setText(QStringLiteral("Name the meter: %1.").arg(MeterSyntax()));
        return;
    }
    // The meter of the last run is kept for the next on the same channel,
    // unless it failed: connecting (and configuring) again is for a new meter.
    const MeterKey key{address, settings->channel};
    if (meter_ && meterKey_ == key) {
        BeginRun(*settings, address);
        return;
    }
    meter_.reset();
    const auto connect = [connectMeter = setup_.connectMeter, address,
                          channel = settings->channel] {
        return connectMeter(address.isEmpty() ? std::nullopt : std::optional(address.toStdString()),
                            channel);
    };
    // The virtual board's own meter reads its model, which lives on this
    // thread, and never waits: it is connected here. Any other is connected on
    // the meter's thread, the windows going on meanwhile.
    if (address.isEmpty()) {
        try {
            meter_ = connect();
        } catch (const MeterError& error) {
            status_->setText(QString::fromStdString(error.what()));
            return;
        }
        meterKey_ = key;
        BeginRun(*settings, address);
        return;
    }
    status_->setText(QStringLiteral("Connecting to %1\u2026").arg(address));
    start_->setEnabled(false);
    stepper_.ConnectOffThread(connect, [this, key, settings = *settings, address](
                                           std::unique_ptr<Meter> meter, const QString& failure) {
        start_->setEnabled(true);
        if (!meter) {
            status_->setText(failure);
            return;
        }
        meter_ = std::move(meter);
        meterKey_ = key;
        BeginRun(settings, address);
    });
}

void CharacteriseWindow::BeginRun(const RunSettings& settings, const QString& address) {
    runIdeal_ = Ideal();
    standing_ = {};
    status_->clear();
    summary_->clear();
    plots_->Clear();
    record_ = RecordOf(settings, *meter_,
                       address.isEmpty() ? std::string("simulated") : address.toStdString());
    plots_->SetHeading(record_);
    progress_->reset();
    timeLeft_->setText(QStringLiteral("Starting\u2026"));
    runClock_.start();
    stepper_.Start(std::make_unique<CharacterisationRun>(*setup_.output, *meter_, settings));
    ShowRunning(true);
}

void CharacteriseWindow::StopRun() {
    stepper_.Stop();
}

void CharacteriseWindow::ShowRunning(bool running) {
    settings_->setEnabled(!running);
    start_->setEnabled(!running);
    stop_->setEnabled(running);
    const bool results = !running && !result_.codes.empty();
    for (QPushButton* button : {saveCsv_, savePng_, saveSvg_}) {
        button->setEnabled(results);
    }
    (running ? stop_ : start_)->setFocus();
}

void CharacteriseWindow::Redraw() {
    const CharacterisationRun* run = stepper_.Run();
    if (run == nullptr) {
        return;
    }
    ++redraws_;
    result_ = Analyse(run->Outcome().points, runIdeal_);
    plots_->Show(result_);
    summary_->setText(
        QString::fromStdString(SummaryText(result_, run->Settings().channel, standing_)));
    ShowTimeLeft(run->Progress());
}

void CharacteriseWindow::ShowTimeLeft(const RunProgress& progress) {
    progress_->setRange(0, progress.total);
    progress_->setValue(progress.done);
    if (!stepper_.Running()) {
        timeLeft_->clear();
        return;
    }
    const double seconds = runClock_.elapsed() / 1000.0;
    const double left =
        progress.done > 0 ? seconds / progress.done * (progress.total - progress.done) : 0.0;
    timeLeft_->setText(progress.done > 0 ? QStringLiteral("%1 of %2 codes, %3 s left")
                                               .arg(progress.done)
                                               .arg(progress.total)
                                               .arg(qRound(left))
                                         : QStringLiteral("Starting\u2026"));
}

void CharacteriseWindow::RunEnded() {
    redrawTimer_.stop();
    const CharacterisationRun& run = *stepper_.Run();
    standing_ = JudgeRun(run.Outcome(), run.Settings(), Analyse(run.Outcome().points, runIdeal_));
    Redraw();
    status_->setText(EndingText(run.Outcome(), standing_, run.Settings().channel));
    if (!run.Outcome().failure.empty()) {
        meter_.reset();
    }
    ShowRunning(false);
}

void CharacteriseWindow::Save(const QString& caption, const QString& filter,
                              const std::function<bool(const QString&)>& write) {
    const QString path = QFileDialog::getSaveFileName(this, caption, QString(), filter);
    if (path.isEmpty()) {
        return;
    }
    status_->setText(write(path) ? QStringLiteral("Saved %1.").arg(path)
                                 : QStringLiteral("Could not write %1.").arg(path));
}

void CharacteriseWindow::SaveCsv() {
    Save(QStringLiteral("Save CSV"), QStringLiteral("CSV (*.csv)"), [this](const QString& path) {
        std::ostringstream csv;
        WriteCsv(csv, result_, record_, standing_);
        return SaveWhole(path, QByteArray::fromStdString(csv.str()));
    });
}

void CharacteriseWindow::SavePng() {
    Save(QStringLiteral("Save PNG"), QStringLiteral("PNG image (*.png)"),
         [this](const QString& path) { return plots_->SavePng(path); });
}

void CharacteriseWindow::SaveSvg() {
    Save(QStringLiteral("Save SVG"), QStringLiteral("SVG image (*.svg)"),
         [this](const QString& path) { return plots_->SaveSvg(path); });
}

void CharacteriseWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CharacteriseWindow::closeEvent(QCloseEvent* event) {
    stepper_.Stop(); // a closed window leaves no run going, and the channel at its end code
    meter_.reset();  // nor a meter held
    QWidget::closeEvent(event);
}

} // namespace qv4130::characterise
