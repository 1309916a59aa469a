#pragma once

#include "CharacterisationRun.h"
#include "Linearity.h"
#include "Meter.h"
#include "RunStanding.h"

#include <iosfwd>
#include <string>

namespace qv4130::characterise {

// What a saved run must say of itself, so that one page or file can be told
// from another: which channel, when, read by what meter, and how.
struct RunRecord {
    int channel = 0;
    std::string when;  // local date and time the run started, 2026-12-08 14:05
    std::string meter; // its *IDN? answer, or its address when it gave none
    std::chrono::microseconds settle{0};
    int readingsPerCode = 1;
};

// The record of a run starting now with `settings`, read by `meter` at `address`.
RunRecord RecordOf(const RunSettings& settings, const Meter& meter, const std::string& address);

// The run as CSV: comment lines with the record and the reference, then every
// measured code, one row each under a header row:
// code,volts,error_lsb,inl_endpoint_lsb,inl_bestfit_lsb,dnl_lsb
// then, for a run that did not finish or whose readings did not follow its codes,
// a comment line each ("# partial: ...", "# suspect: ..."), after every row: a
// reader that skips lines starting with # sees only the rows, and Python's csv
// module gives such a line as one more row of a single field, after them.
void WriteCsv(std::ostream& csv, const Linearity& result, const RunRecord& record,
              const RunStanding& standing = {});

// The channel's figures, one per line ("offset: 1.234 LSB" ...), or why there are
// none: too few codes, or readings that did not follow them. A partial run's come
// under a line that says so.
std::string SummaryText(const Linearity& result, int channel, const RunStanding& standing = {});

// The figures on one line, for a plot's heading: "offset 0.120 LSB, gain error
// -0.300 LSB (-0.0073 %), INL 0.450 LSB (best-fit 0.310), DNL -0.200 LSB, monotonic".
std::string FiguresLine(const Summary& figures);

} // namespace qv4130::characterise
