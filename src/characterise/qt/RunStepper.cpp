#include "RunStepper.h"

#include <QElapsedTimer>

namespace qv4130::characterise {

RunStepper::RunStepper(QObject* parent) : QObject(parent) {
    turn_.setSingleShot(true);
    turn_.setInterval(0);
    connect(&turn_, &QTimer::timeout, this, &RunStepper::Turn);
    settle_.setSingleShot(true);
    settle_.setTimerType(Qt::PreciseTimer);
    connect(&settle_, &QTimer::timeout, this, &RunStepper::ReadAfterSettling);
    meterSide_.moveToThread(&meterThread_);
    meterThread_.start();
}

// An unfinished run writes its end code as it goes; a reading still in flight
// is waited for (the meter's time-out at worst), as the meter goes next.
RunStepper::~RunStepper() {
    meterThread_.quit();
    meterThread_.wait();
}

void RunStepper::Start(std::unique_ptr<CharacterisationRun> run) {
    if (run_) {
        Stop();
    }
    run_ = std::move(run);
    turn_.start();
}

void RunStepper::Stop() {
    if (!run_) {
        return;
    }
    run_->Stop();
    if (reading_) {
        // The channel goes to its end code now; the run is over once the
        // meter's thread has let go of the meter.
        turn_.stop();
        settle_.stop();
        run_->Finish();
        stopping_ = true;
        return;
    }
    End();
}

void RunStepper::Turn() {
    const auto settle =
        std::chrono::duration_cast<std::chrono::milliseconds>(run_->Settings().settle);
    QElapsedTimer turn;
    turn.start();
    do {
        if (!run_->WriteNext()) {
            End();
            return;
        }
        if (settle.count() > 0) {
            settle_.start(settle);
            return;
        }
        if (run_->MeterMayWait()) {
            ReadOffThread();
            return;
        }
        run_->ReadWritten();
    } while (turn.nsecsElapsed() < TurnLength.count());
    MeasuredThenGoOn();
}

void RunStepper::ReadAfterSettling() {
    if (run_->MeterMayWait()) {
        ReadOffThread();
        return;
    }
    run_->ReadWritten();
    MeasuredThenGoOn();
}

void RunStepper::ReadOffThread() {
    reading_ = true;
    CharacterisationRun* run = run_.get();
    QMetaObject::invokeMethod(
        &meterSide_,
        [this, run] {
            const CharacterisationRun::Reading reading = run->TakeReading();
            QMetaObject::invokeMethod(
                this, [this, reading] { Received(reading); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void RunStepper::ConnectOffThread(std::function<std::unique_ptr<Meter>()> connect, Connected then) {
    connecting_ = true;
    QMetaObject::invokeMethod(
        &meterSide_,
        [this, connect = std::move(connect), then = std::move(then)] {
            auto meter = std::make_shared<std::unique_ptr<Meter>>();
            QString failure;
            try {
                *meter = connect();
            } catch (const MeterError& error) {
                failure = QString::fromStdString(error.what());
            }
            QMetaObject::invokeMethod(
                this,
                [this, meter, failure, then] {
                    connecting_ = false;
                    then(std::move(*meter), failure);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void RunStepper::Received(const CharacterisationRun::Reading& reading) {
    reading_ = false;
    run_->Keep(reading);
    if (stopping_) {
        stopping_ = false;
        End();
        return;
    }
    MeasuredThenGoOn();
}

void RunStepper::MeasuredThenGoOn() {
    emit Measured();
    if (run_) { // whoever was told may have stopped the run
        turn_.start();
    }
}

void RunStepper::End() {
    turn_.stop();
    settle_.stop();
    run_->Finish();
    ended_ = std::move(run_);
    emit Ended();
}

} // namespace qv4130::characterise
