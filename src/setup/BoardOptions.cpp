#include "BoardOptions.h"

#include "qv4130/PlainText.h"

#include <charconv>
#include <cstdint>

namespace qv4130 {

namespace {

using options::Mistake;
using options::Option;

std::string Number(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

// The most noise a reading may be given, in LSB: more would bury every figure.
constexpr double MaxNoiseLsb = 100.0;

std::optional<double> NoiseLsb(std::string_view text) {
    const std::optional<double> value = text::ParseDecimal(text);
    return value && *value >= 0.0 && *value <= MaxNoiseLsb ? value : std::nullopt;
}

constexpr std::string_view VirtualBoard = "virtual-board";
constexpr std::string_view ShapesOutputs = "sets the virtual board's outputs";

constexpr Option<BoardChoice> Declared[] = {
    {{.name = VirtualBoard,
      .help = "Drive a simulated QV4130 on a simulated printer port instead of the board on the "
              "PC's port: no hardware and no port library are needed."},
     [](BoardChoice& choice, std::string_view) -> Mistake {
         choice.virtualBoard = true;
         return std::nullopt;
     }},
    {{.name = "trace",
      .value = "FILE.vcd",
      .help = "Record every write to the port's data register, with its time, in a Value Change "
              "Dump (DIN, SCLK, SYNC, PD, RESET) that PulseView, sigrok-cli and GTKWave open."},
     [](BoardChoice& choice, std::string_view path) -> Mistake {
         if (path.empty()) {
             return "takes a file name";
         }
         choice.tracePath = std::string(path);
         return std::nullopt;
     }},
    {{.name = "vref",
      .value = "V",
      .help = "The virtual board's reference in volts, 0.5 to 5 (2.5): its outputs and its "
              "simulated meter's readings scale with it, and so do SOURce:VOLTage and the ideal "
              "line of a characterisation. Only with --virtual-board.",
      .needs = VirtualBoard,
      .needsBecause = ShapesOutputs},
     [](BoardChoice& choice, std::string_view text) -> Mistake {
         const auto vref = text::ParsePositive(text);
         if (!vref || *vref < reference_volts::Min || *vref > reference_volts::Max) {
             return "takes the reference in volts, " + Number(reference_volts::Min) + " V to " +
                    Number(reference_volts::Max) + " V";
         }
         choice.analog.vref = *vref;
         return std::nullopt;
     }},
    {{.name = "analog-seed",
      .value = "N",
      .help = "Draw the virtual board's per-channel offset, gain error and non-linearity from N "
              "(1), so that a run can be repeated or another board tried. Only with "
              "--virtual-board.",
      .needs = VirtualBoard,
      .needsBecause = ShapesOutputs},
     [](BoardChoice& choice, std::string_view text) -> Mistake {
         const auto seed = text::ParseWhole<std::uint64_t>(text);
         if (!seed) {
             return "takes a whole number 0 to 18446744073709551615";
         }
         choice.analog.seed = *seed;
         return std::nullopt;
     }},
    {{.name = "analog-noise",
      .value = "LSB",
      .help = "Give every reading of the virtual board's outputs noise of LSB (0 to 100) "
              "standard deviation (0), as a real meter's readings have, for averaging to work "
              "on. Only with --virtual-board.",
      .needs = VirtualBoard,
      .needsBecause = ShapesOutputs},
     [](BoardChoice& choice, std::string_view text) -> Mistake {
         const auto noise = NoiseLsb(text);
         if (!noise) {
             return "takes the readings' noise in LSB, 0 to " + Number(MaxNoiseLsb);
         }
         choice.analog.noiseLsb = *noise;
         return std::nullopt;
     }},
};

} // namespace

std::span<const options::Option<BoardChoice>> BoardChoiceOptions() {
    return Declared;
}

} // namespace qv4130
