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
}

RunStepper::~RunStepper() = default; // an unfinished run writes its end code as it goes

void RunStepper::Start(std::unique_ptr<CharacterisationRun> run) {
    if (run_) {
        Stop();
    }
    run_ = std::move(run);
    turn_.start();
}

void RunStepper::Stop() {
    if (run_) {
        run_->Stop();
        End();
    }
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
        run_->ReadWritten();
    } while (turn.nsecsElapsed() < turnLength_.count());
    MeasuredThenGoOn();
}

void RunStepper::ReadAfterSettling() {
    run_->ReadWritten();
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
