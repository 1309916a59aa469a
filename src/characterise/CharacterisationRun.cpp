#include "CharacterisationRun.h"

#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace qv4130::characterise {

namespace {

bool ValidCode(int code) {
    return code >= 0 && code <= FullScaleCode;
}

std::string CodeRange(const char* what) {
    return std::string(what) + " must be a code from 0 to " + std::to_string(FullScaleCode);
}

int EndCode(const ChannelOutput& output, const RunSettings& settings) {
    if (settings.endCode) {
        return *settings.endCode;
    }
    return output.Code(settings.channel).value_or(settings.from);
}

// A stop between the readings of an average leaves the code unread: a run of a
// thousand readings a code stops at the next reading, not at the next code.
std::optional<double> AveragedReading(Meter& meter, int count, const std::stop_token& stop) {
    double sum = 0.0;
    for (int i = 0; i < count; ++i) {
        if (stop.stop_requested()) {
            return std::nullopt;
        }
        sum += meter.ReadVolts();
    }
    return sum / count;
}

// Waits out the settle time, or less if the run is stopped meanwhile: a minute's
// settle must not keep Ctrl-C waiting.
void SettleUnlessStopped(std::chrono::microseconds time, const std::stop_token& stop) {
    std::mutex mutex;
    std::unique_lock lock(mutex);
    std::condition_variable_any().wait_for(lock, stop, time, [] { return false; });
}

} // namespace

Result<> CheckSettings(const RunSettings& s) {
    if (s.channel < 0 || s.channel >= ChannelCount) {
        return Failure{"the channel must be 0 to " + std::to_string(ChannelCount - 1)};
    }
    if (!ValidCode(s.from)) {
        return Failure{CodeRange("the first code")};
    }
    if (!ValidCode(s.to)) {
        return Failure{CodeRange("the last code")};
    }
    if (s.endCode && !ValidCode(*s.endCode)) {
        return Failure{CodeRange("the end code")};
    }
    if (s.step < 1 || s.step > FullScaleCode) {
        return Failure{"the step must be 1 to " + std::to_string(FullScaleCode) + " codes"};
    }
    if (s.average < 1) {
        return Failure{"at least one reading per code is needed"};
    }
    if (s.average > MaxAverage) {
        return Failure{"at most " + std::to_string(MaxAverage) + " readings per code are taken"};
    }
    if (s.settle.count() < 0) {
        return Failure{"the settle time cannot be negative"};
    }
    if (s.settle > MaxSettle) {
        return Failure{"the settle time is at most " + std::to_string(MaxSettle.count()) + " ms"};
    }
    return {};
}

std::vector<int> RunCodes(const RunSettings& s) {
    const int direction = s.to >= s.from ? 1 : -1;
    std::vector<int> codes;
    for (int code = s.from; (s.to - code) * direction > 0; code += direction * s.step) {
        codes.push_back(code);
    }
    codes.push_back(s.to);
    return codes;
}

CharacterisationRun::CharacterisationRun(ChannelOutput& output, Meter& meter,
                                         const RunSettings& settings)
    : output_(output), meter_(meter), settings_(settings), codes_(RunCodes(settings)) {
    outcome_.endCode = EndCode(output, settings);
    outcome_.points.reserve(codes_.size());
}

CharacterisationRun::~CharacterisationRun() {
    Finish();
}

bool CharacterisationRun::Over() const {
    return finished_ || outcome_.stopped || !outcome_.failure.empty() || next_ == codes_.size();
}

bool CharacterisationRun::WriteNext() {
    if (Over()) {
        return false;
    }
    if (const Result<> sent = output_.WriteCode(settings_.channel, codes_[next_]); !sent) {
        outcome_.failure = sent.Error();
        return false;
    }
    ++next_;
    return true;
}

void CharacterisationRun::ReadWritten(const std::stop_token& stop) {
    Keep(TakeReading(stop));
}

CharacterisationRun::Reading CharacterisationRun::TakeReading(const std::stop_token& stop) {
    try {
        return {AveragedReading(meter_, settings_.average, stop), {}};
    } catch (const MeterError& error) {
        return {std::nullopt, error.what()};
    }
}

void CharacterisationRun::Keep(const Reading& reading) {
    if (finished_) {
        return; // taken while the run was ended: its end code is already written
    }
    if (reading.volts) {
        outcome_.points.push_back({codes_[next_ - 1], *reading.volts});
    } else if (!reading.failure.empty()) {
        outcome_.failure = reading.failure;
    }
}

void CharacterisationRun::Stop() {
    if (!Over()) {
        outcome_.stopped = true;
    }
}

const RunOutcome& CharacterisationRun::Finish() {
    if (!finished_) {
        finished_ = true;
        outcome_.complete = outcome_.points.size() == codes_.size();
        outcome_.endCodeWritten = output_.WriteCode(settings_.channel, outcome_.endCode).Ok();
    }
    return outcome_;
}

RunProgress CharacterisationRun::Progress() const {
    RunProgress progress{.done = static_cast<int>(outcome_.points.size()),
                         .total = static_cast<int>(codes_.size())};
    if (!outcome_.points.empty()) {
        progress.code = outcome_.points.back().code;
        progress.volts = outcome_.points.back().volts;
    }
    return progress;
}

RunOutcome RunCharacterisation(ChannelOutput& output, Meter& meter, const RunSettings& settings,
                               const RunHooks& hooks) {
    const auto wait = hooks.wait ? hooks.wait : [&hooks](std::chrono::microseconds time) {
        SettleUnlessStopped(time, hooks.stop);
    };
    CharacterisationRun run(output, meter, settings);
    while (!hooks.stop.stop_requested() && run.WriteNext()) {
        if (settings.settle.count() > 0) {
            wait(settings.settle);
        }
        run.ReadWritten(hooks.stop);
        if (hooks.progress && run.Outcome().failure.empty()) {
            hooks.progress(run.Progress());
        }
    }
    if (hooks.stop.stop_requested()) {
        run.Stop();
    }
    return run.Finish();
}

} // namespace qv4130::characterise
