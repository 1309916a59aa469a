#include "PanelPlacement.h"

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

QPoint BesidePosition(const QRect& anchorFrame, const QSize& size, const QRect& available) {
    const int screenRight = available.left() + available.width();
    int left = anchorFrame.left() + anchorFrame.width() + Gap;
    if (left + size.width() > screenRight) {
        const int onLeft = anchorFrame.left() - Gap - size.width();
        left = onLeft >= available.left() ? onLeft : left;
    }
    left = Clamp(left, size.width(), available.left(), screenRight);
    const int top = Clamp(anchorFrame.top(), size.height(), available.top(),
                          available.top() + available.height());
    return {left, top};
}

void PlaceBeside(QWidget& window, const QWidget& anchor) {
    // Before it is first shown a window has no frame yet; the anchor's frame is the
    // best guess of what the window manager will add.
    const QRect anchorFrame = anchor.frameGeometry();
    const QRect anchorClient = anchor.geometry();
    const QSize frameExtra = window.isVisible()
                                 ? window.frameGeometry().size() - window.geometry().size()
                                 : anchorFrame.size() - anchorClient.size();
    const QSize outer = window.size() + frameExtra;
    const QScreen* screen = anchor.screen();
    const QRect available = screen != nullptr ? screen->availableGeometry() : anchorFrame;
    window.move(BesidePosition(anchorFrame, outer, available));
}

} // namespace qv4130
