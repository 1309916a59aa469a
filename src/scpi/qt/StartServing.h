#pragma once

#include "host/Report.h"
#include "scpi/qt/ListenAddress.h"
#include "scpi/qt/ScpiServer.h"

#include <ostream>
#include <string_view>

namespace qv4130::scpi {

// Starts `server` listening on `address`. Tells `report` why it can't, and
// warns when the address is not a loopback one, since anyone who reaches it
// drives the board; the server's notices (a client dropped, clients refused) go
// there too. Prints where it listens (the port picked, for port 0) on `out`,
// after `program`'s name, for scripts that wait for the line.
bool StartServing(ScpiServer& server, const ListenAddress& address, std::string_view program,
                  std::ostream& out, const Report& report);

} // namespace qv4130::scpi
