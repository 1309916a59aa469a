#pragma once

#include "characterise/Linearity.h"
#include "characterise/LinearityReport.h"

#include <string>

namespace qv4130::characterise {

// Draws the window's plots of the result, unseen, under the run's record, and
// saves them as a PNG image;
// false when the file could not be written. The toolkit's GUI is started (on
// the offscreen platform) only here, so runs without an image never load it.
bool SavePlotsPng(const Linearity& result, const RunRecord& record, const std::string& path);

} // namespace qv4130::characterise
