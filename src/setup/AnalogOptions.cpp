#include "AnalogOptions.h"

#include "text/PlainText.h"

#include <charconv>
#include <cstdint>

namespace qv4130 {

namespace {

std::string Volts(double volts) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, volts).ptr;
    return std::string(text, end) + " V";
}

} // namespace

std::optional<std::string> ApplyAnalogOptions(const AnalogOptionTexts& given, bool virtualBoard,
                                              AnalogSettings& settings) {
    if ((given.vref || given.seed) && !virtualBoard) {
        return std::string(given.vref ? "--vref" : "--analog-seed") +
               " sets the virtual board's outputs: it needs --virtual-board";
    }
    if (given.vref) {
        const auto vref = text::ParsePositive(*given.vref);
        if (!vref || *vref < reference_volts::Min || *vref > reference_volts::Max) {
            return "--vref takes the reference in volts, " + Volts(reference_volts::Min) + " to " +
                   Volts(reference_volts::Max);
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
    return std::nullopt;
}

} // namespace qv4130
