#pragma once

#include "BoardSetup.h"
#include "CommandLine.h"

#include <span>

namespace qv4130 {

// The options that choose the board a run drives and shape the virtual one,
// declared once for both programs: --virtual-board, --trace, and the virtual
// board's --vref, --analog-seed and --analog-noise. These shape a simulated
// output only, so without --virtual-board they are refused rather than
// ignored: an operator who thinks they set a real board's reference must hear
// that they did not.
std::span<const options::Option<BoardChoice>> BoardChoiceOptions();

} // namespace qv4130
