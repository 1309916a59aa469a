#pragma once

#include "Linearity.h"
#include "RunStanding.h"

#include <iosfwd>
#include <string>

namespace qv4130::characterise {

// Every measured code as CSV, one row each under a header row:
// code,volts,error_lsb,inl_endpoint_lsb,inl_bestfit_lsb,dnl_lsb
// then, for a run that did not finish or whose readings did not follow its codes,
// a comment line each ("# partial: ...", "# suspect: ..."), after every row: a
// reader that skips lines starting with # sees only the rows, and Python's csv
// module gives such a line as one more row of a single field, after them.
void WriteCsv(std::ostream& csv, const Linearity& result, const RunStanding& standing = {});

// The channel's figures, one per line ("offset: 1.234 LSB" ...), or why there are
// none: too few codes, or readings that did not follow them. A partial run's come
// under a line that says so.
std::string SummaryText(const Linearity& result, int channel, const RunStanding& standing = {});

// The figures on one line, for a plot's heading: "offset 0.120 LSB, gain error
// -0.300 LSB (-0.0073 %), INL 0.450 LSB (best-fit 0.310), DNL -0.200 LSB, monotonic".
std::string FiguresLine(const Summary& figures);

} // namespace qv4130::characterise
