#pragma once

#include "scpi/qt/ListenAddress.h"
#include "scpi/qt/ScpiServer.h"

#include <ostream>
#include <string_view>

namespace qv4130::scpi {

// Starts `server` listening on `address` for `program` (the name its messages
// begin with). Says on `errors` why it can't, and warns there when the address
// is not a loopback one, since anyone who reaches it drives the board. Prints
// where it listens (the port picked, for port 0) on `out`, and the server's
// notices (a client dropped, clients refused) on `errors`.
bool StartServing(ScpiServer& server, const ListenAddress& address, std::string_view program,
                  std::ostream& out, std::ostream& errors);

} // namespace qv4130::scpi
