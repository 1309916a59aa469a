#include "AnalogOptions.h"

#include "text/PlainText.h"

#include <charconv>
#include <cstdint>

namespace qv4130 {

namespace {

std::string Number(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

// The most noise a reading may be given, in LSB: more would bury every figure.
constexpr double MaxNoiseLsb = 100.0;

std::optional<double> NoiseLsb(std::string_view text) {
    double value = 0.0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end || !(value >= 0.0) ||
        value > MaxNoiseLsb) {
        return std::nullopt;
    }
    return value;
}

// The first of the options given, by its name; none when none was.
const char* FirstGiven(const AnalogOptionTexts& given) {
    return given.vref    ? "--vref"
           : given.seed  ? "--analog-seed"
           : given.noise ? "--analog-noise"
                         : nullptr;
}

} // namespace

std::optional<std::string> ApplyAnalogOptions(const AnalogOptionTexts& given, bool virtualBoard,
                                              AnalogSettings& settings) {
    if (const char* option = FirstGiven(given); option != nullptr && !virtualBoard) {
        return std::string(option) + " sets the virtual board's outputs: it needs --virtual-board";
    }
    if (given.vref) {
        const auto vref = text::ParsePositive(*given.vref);
        if (!vref || *vref < reference_volts::Min || *vref > reference_volts::Max) {
            return "--vref takes the reference in volts, " + Number(reference_volts::Min) +
                   " V to " + Number(reference_volts::Max) + " V";
        }
        settings.vref = *vref;
    }
    if (given.seed) {
        const auto seed = text::ParseWhole<std::uint64_t>(*given.seed);
        if (!seed) {
            return "--analog-seed takes a whole number 0 to 18446744073709551615";
        }
        settings.seed = *seed;
    }
    if (given.noise) {
        const auto noise = NoiseLsb(*given.noise);
        if (!noise) {
            return "--analog-noise takes the readings' noise in LSB, 0 to " + Number(MaxNoiseLsb);
        }
        settings.noiseLsb = *noise;
    }
    return std::nullopt;
}

} // namespace qv4130
