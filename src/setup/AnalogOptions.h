#pragma once

#include "virtualboard/AnalogModel.h"

#include <optional>
#include <string>

namespace qv4130 {

// The virtual board's analog options as given on either program's command
// line, each value's text when the option was given.
struct AnalogOptionTexts {
    std::optional<std::string> vref;  // --vref V
    std::optional<std::string> seed;  // --analog-seed N
    std::optional<std::string> noise; // --analog-noise LSB
};

// Puts the options into `settings`, or gives the usage error's reason. They
// shape a simulated output only, so without the virtual board they are
// refused rather than ignored: an operator who thinks they set a real
// board's reference must hear that they did not.
std::optional<std::string> ApplyAnalogOptions(const AnalogOptionTexts& given, bool virtualBoard,
                                              AnalogSettings& settings);

} // namespace qv4130
