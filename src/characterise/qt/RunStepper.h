#pragma once

#include "characterise/CharacterisationRun.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

namespace qv4130::characterise {

// Runs a characterisation on the GUI thread, the thread the board link belongs
// to (the windows, the SCPI server and the virtual board's panel all write the
// port from it). It measures codes for a short turn, then gives the event loop
// its turn, and waits each settle time on a timer, so the windows stay
// responsive and nothing but this thread ever touches the port.
class RunStepper final : public QObject {
    Q_OBJECT

public:
    // About as long as the SCPI server keeps the thread for its clients.
    static constexpr std::chrono::nanoseconds DefaultTurn = std::chrono::milliseconds(2);

    explicit RunStepper(QObject* parent = nullptr);
    ~RunStepper() override;

    // Takes the run and starts it once the event loop runs; a run still going is
    // finished first.
    void Start(std::unique_ptr<CharacterisationRun> run);
    // Ends the run now, keeping what it measured; its end code is written.
    void Stop();
    bool Running() const { return run_ != nullptr; }
    // The run going or the last one ended; null before the first.
    const CharacterisationRun* Run() const { return run_ ? run_.get() : ended_.get(); }

    // How long one turn may measure before the event loop runs again; zero: one code a turn.
    void SetTurnLength(std::chrono::nanoseconds length) { turnLength_ = length; }

signals:
    // New codes measured, once per turn at most.
    void Measured();
    // The run is over and its end code written; Run()->Outcome() says how it went.
    void Ended();

private:
    void Turn();
    void ReadAfterSettling();
    void MeasuredThenGoOn();
    void End();

    std::unique_ptr<CharacterisationRun> run_;
    std::unique_ptr<CharacterisationRun> ended_;
    QTimer turn_;
    QTimer settle_;
    std::chrono::nanoseconds turnLength_ = DefaultTurn;
};

} // namespace qv4130::characterise
