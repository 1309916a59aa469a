#pragma once

#include "WindowsVersion.h"

namespace qv4130 {

// The program's start: finds the port, holds the chip in reset, then shows the
// main window modally and returns when it closes.
void Main(StartupContext& context);

} // namespace qv4130
