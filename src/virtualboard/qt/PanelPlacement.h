#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

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

// Where a window of outer size `wanted` goes so that it covers none of the
// `taken` frames: in the largest free band of the screen's `available` area to
// the right of them, to their left, below or above, as large as the band allows
// up to `wanted` and at least `unscrolled` (the size that shows all of it). Where
// no band holds that, in the largest that holds `least` (the smallest it takes,
// scrolling). Where none holds even that, it goes beside them as BesideGeometry
// puts it, on screen, covering some.
QRect ClearOfGeometry(const std::vector<QRect>& taken, const QSize& wanted, const QSize& unscrolled,
                      const QSize& least, const QRect& available);

// Moves the top-level `window` clear of the `taken` windows (those shown) on
// their screen, shrinking it to the free room down to its minimum size hint,
// else to its minimum size.
void PlaceClearOf(QWidget& window, const std::vector<const QWidget*>& taken);

} // namespace qv4130
