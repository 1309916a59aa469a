#pragma once

#include "host/Report.h"

namespace qv4130 {

// Every message a program has for its operator goes through Qt's logging, and
// from there to standard error as one line "<program>: <text>": the program's
// own, its layers' (through ProgramReport), the port library's and the
// toolkit's warnings alike. Installed first thing in main; `program` must live
// for the whole run.
void InstallProgramLog(const char* program);

// Logs each text as a warning: what the program hands its Qt-free layers.
Report ProgramReport();

} // namespace qv4130
