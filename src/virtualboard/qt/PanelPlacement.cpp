#include "PanelPlacement.h"

#include "ui/FormGeometry.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <optional>

namespace qv4130 {

namespace {
constexpr int Gap = 8;

// Keeps [start, start + length) inside [low, high); the low end wins when it cannot fit.
int Clamp(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}
} // namespace

QRect BesideGeometry(const QRect& anchorFrame, const QSize& wanted, const QRect& available) {
    const QSize size = wanted.boundedTo(available.size());
    const int screenRight = available.left() + available.width();
    int left = anchorFrame.left() + anchorFrame.width() + Gap;
    if (left + size.width() > screenRight) {
        const int onLeft = anchorFrame.left() - Gap - size.width();
        left = onLeft >= available.left() ? onLeft : left;
    }
    left = Clamp(left, size.width(), available.left(), screenRight);
    const int top = Clamp(anchorFrame.top(), size.height(), available.top(),
                          available.top() + available.height());
    return {QPoint(left, top), size};
}

void PlaceBeside(QWidget& window, const QWidget& anchor) {
    const QRect anchorFrame = FramedGeometry(anchor).value_or(anchor.frameGeometry());
    // Before it is framed the window's outer size is unknown; the anchor's frame
    // is the best guess of what the window manager will add.
    const auto framed = FramedGeometry(window);
    const QSize frameExtra =
        framed ? framed->size() - window.size() : anchorFrame.size() - anchor.size();
    const QSize outer = window.size() + frameExtra;
    const QScreen* screen = anchor.screen();
    const QRect available = screen != nullptr ? screen->availableGeometry() : anchorFrame;
    const QRect placed = BesideGeometry(anchorFrame, outer, available);
    if (placed.size() != outer) {
        window.resize(placed.size() - frameExtra);
    }
    MoveFrameTo(window, placed.topLeft());
}

QRect ClearOfGeometry(const std::vector<QRect>& taken, const QSize& wanted, const QSize& unscrolled,
                      const QSize& least, const QRect& available) {
    QRect used;
    for (const QRect& frame : taken) {
        used |= frame;
    }
    const int usedRight = used.left() + used.width();
    const int usedBottom = used.top() + used.height();
    const int right = available.left() + available.width();
    const int bottom = available.top() + available.height();
    // The free bands, each with where the window stands in it: against the
    // windows it keeps clear of, level with them along the band.
    struct Band {
        QRect area;
        bool hugRight;  // stands at the band's right edge (left of the windows)
        bool hugBottom; // stands at the band's bottom edge (above the windows)
    };
    const Band bands[] = {
        {QRect(QPoint(usedRight + Gap, available.top()), QPoint(right - 1, bottom - 1)), false,
         false},
        {QRect(available.topLeft(), QPoint(used.left() - Gap - 1, bottom - 1)), true, false},
        {QRect(QPoint(available.left(), usedBottom + Gap), QPoint(right - 1, bottom - 1)), false,
         false},
        {QRect(available.topLeft(), QPoint(right - 1, used.top() - Gap - 1)), false, true},
    };
    // The largest band that holds `minimum`, the window as large in it as it allows.
    const auto bestBand = [&](const QSize& minimum) {
        std::optional<QRect> best;
        for (const Band& band : bands) {
            if (!band.area.isValid()) {
                continue;
            }
            const QSize size = wanted.expandedTo(unscrolled).boundedTo(band.area.size());
            if (size.width() < minimum.width() || size.height() < minimum.height()) {
                continue;
            }
            if (best && best->width() * best->height() >= size.width() * size.height()) {
                continue;
            }
            const int bandRight = band.area.left() + band.area.width();
            const int bandBottom = band.area.top() + band.area.height();
            const int left =
                band.hugRight
                    ? bandRight - size.width()
                    : Clamp(band.area.width() == available.width() ? used.left() : band.area.left(),
                            size.width(), band.area.left(), bandRight);
            const int top =
                band.hugBottom
                    ? bandBottom - size.height()
                    : Clamp(band.area.height() == available.height() ? used.top() : band.area.top(),
                            size.height(), band.area.top(), bandBottom);
            best = QRect(QPoint(left, top), size);
        }
        return best;
    };
    if (const auto whole = bestBand(unscrolled)) {
        return *whole;
    }
    if (const auto scrolled = bestBand(least)) {
        return *scrolled;
    }
    return BesideGeometry(used, wanted.expandedTo(unscrolled), available);
}

void PlaceClearOf(QWidget& window, const std::vector<const QWidget*>& taken) {
    std::vector<QRect> frames;
    const QScreen* screen = nullptr;
    QSize frameExtra;
    for (const QWidget* other : taken) {
        if (other != nullptr && other->isVisible()) {
            frames.push_back(FramedGeometry(*other).value_or(other->frameGeometry()));
            screen = screen != nullptr ? screen : other->screen();
            frameExtra = frames.back().size() - other->size();
        }
    }
    if (frames.empty() || screen == nullptr) {
        return;
    }
    // Before it is framed the window's outer size is unknown; the others'
    // frames are the best guess of what the window manager will add.
    if (const auto framed = FramedGeometry(window)) {
        frameExtra = framed->size() - window.size();
    }
    const QRect placed =
        ClearOfGeometry(frames, window.size() + frameExtra, window.minimumSizeHint() + frameExtra,
                        window.minimumSize() + frameExtra, screen->availableGeometry());
    window.resize(placed.size() - frameExtra);
    MoveFrameTo(window, placed.topLeft());
}

} // namespace qv4130
