#pragma once

#include "CharacteriseOptions.h"
#include "characterise/ChannelOutput.h"
#include "host/Report.h"
#include "setup/BoardSetup.h"

#include <iosfwd>

namespace qv4130::ctl {

// Runs "characterise": connects the meter (or, on the virtual board and with no
// --meter, its simulated meter, measuring the board's analog model), steps the channel through
// `output`, writes the CSV and prints the channel's figures, reckoned against the board's
// reference `boardReferenceVolts` unless --ideal-vref names another. Ctrl-C stops the run and keeps
// what it measured; its figures come under a line that says they are partial. A progress line is
// drawn on `out` only when `progressLine` (a terminal). Returns false, after telling `failed` why
// in one line, when the run could not be done whole or its readings did not follow its codes.
bool RunCharacteriseCommand(const CharacteriseOptions& options, characterise::ChannelOutput& output,
                            BoardSetup* board, double boardReferenceVolts, std::ostream& out,
                            const Report& failed, bool progressLine);

// Whether `out` is standard output on a terminal, where the progress line goes.
bool ProgressOnTerminal(const std::ostream& out);

} // namespace qv4130::ctl
