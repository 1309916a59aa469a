#pragma once

#include <QList>
#include <QPointF>

namespace qv4130::characterise {

// A long series thinned for drawing: the points (in ascending x) cut into
// `buckets` runs, each kept as its lowest and highest point in x order, so a
// single code's spike still shows at any width while the line drawn has a few
// hundred points instead of 4,096 (a chart builds its line, and the outline it
// tests the mouse against, from every point on each redraw). A series that is
// short enough is kept whole.
QList<QPointF> Envelope(const QList<QPointF>& points, qsizetype buckets);

} // namespace qv4130::characterise
