#pragma once

#include "CommandParser.h"
#include "CommandTable.h"
#include "Session.h"

#include <string_view>

namespace qv4130::scpi {

struct CommandMatch {
    const CommandRow* row = nullptr; // none: no command has that header
    int suffix = 0;                  // the channel
    bool suffixError = false;        // a suffix missing, misplaced or past channel 15
};

// The table's command that `parsed` names. A header without a leading colon is
// first read on from `path`, as SCPI's compound commands are ("SOUR:CHAN1:CODE
// 5;CODE?" asks channel 1's code); when that names no command, from the root, as
// many instruments allow, so "SOUR:CHAN1:CODE 5;SOUR:CHAN1:CODE?" works too.
// `path` then becomes the header's levels but its last; common commands keep it.
CommandMatch FindCommand(std::string_view line, const ParsedCommand& parsed, HeaderPath& path);

} // namespace qv4130::scpi
