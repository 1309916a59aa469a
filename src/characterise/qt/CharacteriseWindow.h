#pragma once

#include "RunStepper.h"
#include "characterise/ChannelOutput.h"
#include "characterise/Linearity.h"
#include "characterise/LinearityReport.h"
#include "characterise/Meter.h"
#include "characterise/RunStanding.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

class QBoxLayout;
class QCheckBox;
class QLayout;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace qv4130::characterise {

class LinearityPlots;

// What the window needs of the program around it.
struct CharacteriseWindowSetup {
    // Where the codes go: the board link shared with the other windows.
    ChannelOutput* output = nullptr;
    // Connects and configures the meter the operator named (none: the virtual
    // board's simulated meter) on `channel`; throws MeterError.
    MeterConnector connectMeter;
    // On the virtual board an empty address means its simulated meter.
    bool simulatedMeter = false;
    // The reference the board's outputs are scaled to, where the Vref field
    // starts: the virtual board's own, or the board's usual one on hardware.
    double boardReferenceVolts = reference_volts::Default;
};

// The "Characterise…" window: steps one channel through its codes with a meter
// on the output, on the GUI thread between the other windows' events, and shows
// the output, INL and DNL as the run goes, then the channel's figures. The
// results save as the same CSV qv4130ctl writes, the plots as PNG and SVG.
// A top-level window of its own, never modal; the program's life does not follow it.
class CharacteriseWindow final : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* WindowTitle = "QV4130 Characterise";
    // The plots are redrawn at most this often while a run goes.
    static constexpr int RedrawIntervalMs = 100;

    explicit CharacteriseWindow(CharacteriseWindowSetup setup, QWidget* parent = nullptr);
    ~CharacteriseWindow() override;
    CharacteriseWindow(const CharacteriseWindow&) = delete;
    CharacteriseWindow& operator=(const CharacteriseWindow&) = delete;

    void StartRun();
    void StopRun();
    void SaveCsv();
    void SavePng();
    void SaveSvg();

    const RunStepper& Stepper() const { return stepper_; }
    RunStepper& Stepper() { return stepper_; }
    // The figures as last shown, and what they are worth once the run ended.
    const Linearity& Result() const { return result_; }
    const RunStanding& Standing() const { return standing_; }
    int Redraws() const { return redraws_; }

    QSize minimumSizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Whether the settings and the plots stand side by side at this width.
    bool FitsSideBySide(int width) const;
    QWidget* BuildSettings();
    QWidget* BuildRunControls();
    std::optional<RunSettings> ReadSettings();
    void BeginRun(const RunSettings& settings, const QString& address);
    IdealTransfer Ideal() const;
    void ShowRunning(bool running);
    void Redraw();
    void RunEnded();
    void ShowTimeLeft(const RunProgress& progress);
    void Save(const QString& caption, const QString& filter,
              const std::function<bool(const QString&)>& write);

    CharacteriseWindowSetup setup_;
    // The meter outlives the run stepper, whose thread may still be reading it.
    std::unique_ptr<Meter> meter_;
    RunStepper stepper_;
    // The address and channel meter_ was connected for.
    using MeterKey = std::pair<QString, int>;
    MeterKey meterKey_;
    IdealTransfer runIdeal_;
    Linearity result_;
    RunStanding standing_;
    RunRecord record_; // of the run shown
    QTimer redrawTimer_;
    QElapsedTimer runClock_;
    int redraws_ = 0;

    QBoxLayout* layout_ = nullptr; // the settings and the plots, side by side or stacked
    QLayout* side_ = nullptr;      // the settings and the run's controls
    QWidget* settings_ = nullptr;
    QLineEdit* meterAddress_ = nullptr;
    QSpinBox* channel_ = nullptr;
    QSpinBox* from_ = nullptr;
    QSpinBox* to_ = nullptr;
    QSpinBox* step_ = nullptr;
    QSpinBox* settleMs_ = nullptr;
    QSpinBox* average_ = nullptr;
    QDoubleSpinBox* vref_ = nullptr;
    QSpinBox* codeSpan_ = nullptr;
    QCheckBox* endAtCode_ = nullptr;
    QSpinBox* endCode_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* saveCsv_ = nullptr;
    QPushButton* savePng_ = nullptr;
    QPushButton* saveSvg_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* timeLeft_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* status_ = nullptr;
    LinearityPlots* plots_ = nullptr;
};

} // namespace qv4130::characterise
