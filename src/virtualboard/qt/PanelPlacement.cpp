#include "PanelPlacement.h"

#include "ui/FormGeometry.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

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

} // namespace qv4130
