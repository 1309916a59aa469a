#include "CharacterisationRun.h"

#include <thread>

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

double AveragedReading(Meter& meter, int count) {
    double sum = 0.0;
    for (int i = 0; i < count; ++i) {
        sum += meter.ReadVolts();
    }
    return sum / count;
}

} // namespace

std::optional<std::string> CheckSettings(const RunSettings& s) {
    if (s.channel < 0 || s.channel >= ChannelCount) {
        return "the channel must be 0 to " + std::to_string(ChannelCount - 1);
    }
    if (!ValidCode(s.from)) {
        return CodeRange("the first code");
    }
    if (!ValidCode(s.to)) {
        return CodeRange("the last code");
    }
    if (s.endCode && !ValidCode(*s.endCode)) {
        return CodeRange("the end code");
    }
    if (s.step < 1 || s.step > FullScaleCode) {
        return "the step must be 1 to " + std::to_string(FullScaleCode) + " codes";
    }
    if (s.average < 1) {
        return "at least one reading per code is needed";
    }
    if (s.settle.count() < 0) {
        return "the settle time cannot be negative";
    }
    return std::nullopt;
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

RunOutcome RunCharacterisation(ChannelOutput& output, Meter& meter, const RunSettings& settings,
                               const RunHooks& hooks) {
    RunOutcome outcome;
    outcome.endCode = EndCode(output, settings);
    const std::vector<int> codes = RunCodes(settings);
    outcome.points.reserve(codes.size());
    const auto wait = hooks.wait ? hooks.wait : [](std::chrono::microseconds time) {
        std::this_thread::sleep_for(time);
    };
    try {
        for (const int code : codes) {
            if (hooks.stop.stop_requested()) {
                outcome.stopped = true;
                break;
            }
            if (auto failure = output.WriteCode(settings.channel, code)) {
                outcome.failure = std::move(*failure);
                break;
            }
            if (settings.settle.count() > 0) {
                wait(settings.settle);
            }
            const double volts = AveragedReading(meter, settings.average);
            outcome.points.push_back({code, volts});
            if (hooks.progress) {
                hooks.progress({static_cast<int>(outcome.points.size()),
                                static_cast<int>(codes.size()), code, volts});
            }
        }
    } catch (const MeterError& error) {
        outcome.failure = error.what();
    }
    outcome.complete = outcome.points.size() == codes.size();
    outcome.endCodeWritten = !output.WriteCode(settings.channel, outcome.endCode).has_value();
    return outcome;
}

} // namespace qv4130::characterise
