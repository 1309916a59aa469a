#include "LinearityPlots.h"

namespace qv4130::characterise {

// A Windows build whose Qt came without Qt Svg draws and saves its plots as
// pictures, but writes no SVG.
bool LinearityPlots::CanSaveSvg() {
    return false;
}

bool LinearityPlots::SaveSvg(const QString&) {
    return false;
}

} // namespace qv4130::characterise
