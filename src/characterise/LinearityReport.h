#pragma once

#include "Linearity.h"

#include <iosfwd>
#include <string>

namespace qv4130::characterise {

// Every measured code as CSV, one row each under a header row:
// code,volts,error_lsb,inl_endpoint_lsb,inl_bestfit_lsb,dnl_lsb
void WriteCsv(std::ostream& csv, const Linearity& result);

// The channel's figures, one per line ("offset: 1.234 LSB" ...), or why there are none yet.
std::string SummaryText(const Linearity& result, int channel);

} // namespace qv4130::characterise
