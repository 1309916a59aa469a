#include "CharacteriseOptions.h"

#include "characterise/MeterAddress.h"
#include "text/PlainText.h"

#include <string_view>

namespace qv4130::ctl {

namespace {

std::optional<int> Whole(const std::string& text) {
    return text::ParseWhole<int>(text, 10);
}

using Result = std::variant<CharacteriseOptions, std::string>;

// One option's value into the options; a reason when it does not fit.
std::optional<std::string> Take(CharacteriseOptions& o, std::string_view option,
                                const std::string& value) {
    auto whole = [&](int& into, const char* what) -> std::optional<std::string> {
        const auto number = Whole(value);
        if (!number) {
            return std::string(option) + " takes " + what;
        }
        into = *number;
        return std::nullopt;
    };
    auto positive = [&](std::optional<double>& into) -> std::optional<std::string> {
        into = text::ParsePositive(value);
        return into ? std::nullopt : std::optional(std::string(option) + " takes a number above 0");
    };
    if (option == "--meter") {
        if (!characterise::ParseMeterAddress(value)) {
            return "--meter takes HOST[:PORT] or /dev/usbtmcN";
        }
        o.meter = value;
    } else if (option == "--channel") {
        return whole(o.run.channel, "a channel 0-15");
    } else if (option == "--from") {
        return whole(o.run.from, "a code 0-4095");
    } else if (option == "--to") {
        return whole(o.run.to, "a code 0-4095");
    } else if (option == "--step") {
        return whole(o.run.step, "a step of 1 or more codes");
    } else if (option == "--end-code") {
        int code = 0;
        auto error = whole(code, "a code 0-4095");
        o.run.endCode = code;
        return error;
    } else if (option == "--settle") {
        int milliseconds = 0;
        auto error = whole(milliseconds, "milliseconds");
        o.run.settle = std::chrono::milliseconds(milliseconds);
        return error;
    } else if (option == "--average") {
        return whole(o.run.average, "a count of readings");
    } else if (option == "--timeout") {
        int milliseconds = 0;
        auto error = whole(milliseconds, "milliseconds");
        o.timeout = std::chrono::milliseconds(milliseconds);
        if (!error && o.timeout.count() <= 0) {
            return "--timeout takes milliseconds above 0";
        }
        return error;
    } else if (option == "--vref") {
        std::optional<double> vref;
        auto error = positive(vref);
        o.ideal.vref = vref.value_or(o.ideal.vref);
        o.vrefGiven = true;
        return error;
    } else if (option == "--range") {
        return positive(o.rangeVolts);
    } else if (option == "--nplc") {
        return positive(o.nplc);
    } else if (option == "--csv") {
        o.csvPath = value;
        return value.empty() ? std::optional<std::string>("--csv takes a file name") : std::nullopt;
    } else if (option == "--png") {
        o.pngPath = value;
        return value.empty() ? std::optional<std::string>("--png takes a file name") : std::nullopt;
    } else {
        return "characterise has no option " + std::string(option);
    }
    return std::nullopt;
}

} // namespace

std::variant<CharacteriseOptions, std::string>
ParseCharacteriseOptions(const std::vector<std::string>& words) {
    CharacteriseOptions options;
    bool channelGiven = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& option = words[i];
        if (option == "--meas") {
            options.measureEachReading = true;
            continue;
        }
        if (i + 1 == words.size()) {
            return option + " takes a value";
        }
        channelGiven = channelGiven || option == "--channel";
        if (auto error = Take(options, option, words[++i])) {
            return *error;
        }
    }
    if (!channelGiven) {
        return std::string("characterise needs --channel N");
    }
    if (options.csvPath.empty()) {
        return std::string("characterise needs --csv FILE");
    }
    if (const auto error = characterise::CheckSettings(options.run)) {
        return "characterise: " + *error;
    }
    return options;
}

} // namespace qv4130::ctl
