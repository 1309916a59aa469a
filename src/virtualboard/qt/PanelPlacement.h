#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace qv4130 {

// Where a window of outer size `size` goes beside a window whose frame is
// `anchorFrame`, within the screen's `available` area: to its right, else to its
// left, top edges level; pushed back on screen where it would stick out, and
// shrunk to the area where it is larger. Returns the outer rectangle.
QRect BesideGeometry(const QRect& anchorFrame, const QSize& size, const QRect& available);

// Moves the top-level `window` beside `anchor` on the anchor's screen, shrinking
// it where its frame would not fit in the screen's available area.
void PlaceBeside(QWidget& window, const QWidget& anchor);

} // namespace qv4130
