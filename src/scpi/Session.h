#pragma once

#include "ScpiErrors.h"

namespace qv4130::scpi {

// What IEEE 488.2 keeps per controller: each client of the instrument has its
// own, so one client's errors are never read or cleared by another. The board
// and its state stay shared by every client (one chip, one port).
//
// The status registers of the standard (event status, its enable, the service
// request enable) belong here too, next to the error queue they summarise.
struct Session {
    ErrorQueue errors;
};

} // namespace qv4130::scpi
