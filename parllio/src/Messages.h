#pragma once

#include <parllio/parllio.h>

#include <string>

namespace parllio {

// Where the operator's messages go instead of standard error, when the program
// asks for them (`handler` null: standard error again). Process-wide, since the
// program may ask before the library has made anything.
void RouteMessages(ParallelPortMessageHandler handler, void* context);

// One line for the operator: to the program's handler, or to standard error.
void TellOperator(const std::string& line);

} // namespace parllio
