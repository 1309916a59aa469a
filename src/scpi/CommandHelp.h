#pragma once

#include "CommandTable.h"

#include <string>

namespace qv4130::scpi {

// The command table as people read it: each row's forms ("SOURce:CHANnel<n>:CODE
// <0..4095>", "SOURce:CHANnel<n>:CODE?") and what it does. Nothing else lists the
// commands: the programs' help prints this, and a test holds the manual page's
// and the documentation's lists to it.

// For --help: each command's forms on one line, what it does below, indented.
std::string CommandListText();
// For the documentation: a Markdown table, one row a command.
std::string CommandListMarkdown();
// For the manual page: one .TP paragraph a command.
std::string CommandListRoff();

} // namespace qv4130::scpi
