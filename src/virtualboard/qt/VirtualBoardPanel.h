#pragma once

#include "virtualboard/AnalogModel.h"
#include "virtualboard/VirtualBoard.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace qv4130 {

class TimingDiagram;

// The window that shows what the virtual QV4130 holds and what it last received:
// the 16 channels, the chip's state, the word counts and the last word's timing.
// It is a top-level window of its own, never modal, so it stays in view beside the
// main window while the mode windows are open.
//
// It follows every change of the board, but only marks itself stale when told and
// redraws from the event loop: a sweep that keeps the GUI thread busy pays nothing
// per write, and the panel catches up as soon as the loop runs again.
// The board and the analog model must outlive the panel.
class VirtualBoardPanel final : public QWidget, private VirtualBoardObserver {
    Q_OBJECT

public:
    static constexpr const char* WindowTitle = "QV4130 Virtual Board";

    // With `analog`, each channel's output is shown in volts beside its code.
    explicit VirtualBoardPanel(VirtualBoard& board, const AnalogModel* analog = nullptr,
                               QWidget* parent = nullptr);
    ~VirtualBoardPanel() override;

    VirtualBoardPanel(const VirtualBoardPanel&) = delete;
    VirtualBoardPanel& operator=(const VirtualBoardPanel&) = delete;

    // Shows the panel beside `anchor` (to its right, or its left where the screen
    // ends), without taking the focus from it; at the size of its content, or
    // smaller and scrolling where the screen's free area is smaller.
    void ShowBeside(const QWidget& anchor);

    // Brings every field up to the board's state now.
    void Refresh();

    // Asks for a file and writes the data register's writes to it as a VCD
    // trace: all of them since the start, or the last million.
    void SaveTrace();
    // Who asks for the file; empty answer: nothing is saved. A file dialog
    // unless a test puts something else in its place.
    using TraceFileChooser = std::function<QString(QWidget* parent)>;
    void SetTraceFileChooser(TraceFileChooser chooser) { chooseTraceFile_ = std::move(chooser); }

    // Shows the "Characterise…" button, which calls `open`; hidden without one.
    void SetCharacteriseOpener(std::function<void()> open);

private:
    struct ChannelRow {
        QLabel* hex = nullptr;
        QLabel* decimal = nullptr;
        QLabel* volts = nullptr; // with an analog model only
        QProgressBar* output = nullptr;
    };

    void BoardChanged() override;
    // Sizes the panel to its content, then moves and shrinks it to fit beside `anchor`.
    void FitBeside(const QWidget& anchor);
    QWidget* BuildChipGroup();
    QWidget* BuildChannelsGroup();
    QWidget* BuildWordsGroup();

    VirtualBoard& board_;
    const AnalogModel* analog_;
    QTimer refreshTimer_;
    bool stale_ = false;

    QLabel* chipState_ = nullptr;
    QLabel* dataRegister_ = nullptr;
    QLabel* controlRegister_ = nullptr;
    QLabel* wordsApplied_ = nullptr;
    QLabel* wordsIgnored_ = nullptr;
    QLabel* malformedWords_ = nullptr;
    QLabel* strayWrites_ = nullptr;
    std::array<ChannelRow, ChannelCount> channels_{};
    TimingDiagram* timing_ = nullptr;
    QLabel* decodedWord_ = nullptr;
    TraceFileChooser chooseTraceFile_;
    QPushButton* characterise_ = nullptr;
};

} // namespace qv4130
