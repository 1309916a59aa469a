#pragma once

#include "characterise/CharacterisationRun.h"

#include <QObject>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

namespace qv4130::characterise {

// Runs a characterisation on the GUI thread, the thread the board link belongs
// to (the windows, the SCPI server and the virtual board's panel all write the
// port from it). It measures codes for a short turn, then gives the event loop
// its turn, and waits each settle time on a timer, so the windows stay
// responsive and nothing but this thread ever touches the port.
//
// A meter that may keep its caller waiting (one over a link) is read on a
// thread of its own, one reading at a time, while the event loop runs on: a
// meter taking a second a reading, or one that stops answering, never holds
// up the windows or the SCPI clients. Stopping writes the end code at once;
// the run is over (Ended) once the reading in flight has come back or failed,
// within the meter's time-out.
class RunStepper final : public QObject {
    Q_OBJECT

public:
    // How long a turn measures before the event loop runs again: about as long
    // as the SCPI server keeps the thread for its clients.
    static constexpr std::chrono::nanoseconds TurnLength = std::chrono::milliseconds(2);

    explicit RunStepper(QObject* parent = nullptr);
    ~RunStepper() override;

    // Takes the run and starts it once the event loop runs; a run still going is
    // finished first.
    void Start(std::unique_ptr<CharacterisationRun> run);
    // Ends the run now, keeping what it measured; its end code is written.
    void Stop();
    bool Running() const { return run_ != nullptr; }

    // Connects a meter over a link on the meter's thread: connecting asks it
    // *IDN? and configures it, which may take up to its time-out, and the meter
    // may be served by this very program from this thread. `then` gets the
    // meter, or none and why, back on this thread.
    using Connected = std::function<void(std::unique_ptr<Meter> meter, const QString& failure)>;
    void ConnectOffThread(std::function<std::unique_ptr<Meter>()> connect, Connected then);
    bool Connecting() const { return connecting_; }
    // The run going (or ending, its reading still in flight) or the last one
    // ended; null before the first.
    const CharacterisationRun* Run() const { return run_ ? run_.get() : ended_.get(); }

signals:
    // New codes measured, once per turn at most.
    void Measured();
    // The run is over and its end code written; Run()->Outcome() says how it went.
    void Ended();

private:
    void Turn();
    void ReadAfterSettling();
    void ReadOffThread();
    void Received(const CharacterisationRun::Reading& reading);
    void MeasuredThenGoOn();
    void End();

    std::unique_ptr<CharacterisationRun> run_;
    std::unique_ptr<CharacterisationRun> ended_;
    QTimer turn_;
    QTimer settle_;
    // The meter's own thread, and the object its readings are asked through.
    QThread meterThread_;
    QObject meterSide_;
    bool reading_ = false;    // a reading is in flight on the meter's thread
    bool stopping_ = false;   // ended while it was: Ended once it is back
    bool connecting_ = false; // a meter is being connected on the meter's thread
};

} // namespace qv4130::characterise
