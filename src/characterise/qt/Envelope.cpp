#include "Envelope.h"

#include <algorithm>

namespace qv4130::characterise {

QList<QPointF> Envelope(const QList<QPointF>& points, qsizetype buckets) {
    if (buckets < 1 || points.size() <= 2 * buckets) {
        return points;
    }
    QList<QPointF> thinned;
    thinned.reserve(2 * buckets);
    const auto byY = [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); };
    for (qsizetype bucket = 0; bucket < buckets; ++bucket) {
        const auto first = points.begin() + points.size() * bucket / buckets;
        const auto last = points.begin() + points.size() * (bucket + 1) / buckets;
        const auto [low, high] = std::minmax_element(first, last, byY);
        thinned.append(low < high ? *low : *high);
        if (low != high) {
            thinned.append(low < high ? *high : *low);
        }
    }
    return thinned;
}

} // namespace qv4130::characterise
