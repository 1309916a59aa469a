#pragma once

#include "characterise/Linearity.h"
#include "characterise/Meter.h"

#include <string>

namespace qv4130::ctl {

// Draws the window's plots of the result, unseen, under the heading of a run on
// `channel` read by `meter` (at `meterAddress`), and saves them as a PNG image;
// false when the file could not be written. The toolkit's GUI is started (on
// the offscreen platform) only here, so runs without an image never load it.
bool SavePlotsPng(const characterise::Linearity& result, const characterise::Meter& meter,
                  int channel, const std::string& meterAddress, const std::string& path);

} // namespace qv4130::ctl
