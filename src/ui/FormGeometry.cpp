#include "FormGeometry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <optional>

#include <cmath>

namespace qv4130 {

namespace {
constexpr double TwipsPerInch = 1440.0;

double LogicalDpi(const QWidget* widget) {
    const QScreen* screen = widget != nullptr ? widget->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}
} // namespace

int TwipsToPixels(int twips, const QWidget* widget) {
    return static_cast<int>(std::lround(twips * LogicalDpi(widget) / TwipsPerInch));
}

void PlaceInTwips(QWidget& widget, int left, int top, int width, int height) {
    widget.setGeometry(TwipsToPixels(left, &widget), TwipsToPixels(top, &widget),
                       TwipsToPixels(width, &widget), TwipsToPixels(height, &widget));
}

void ChainTabOrder(const std::vector<QWidget*>& order) {
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

void SetClientSizeInTwips(QWidget& window, int width, int height, bool fixed) {
    const QSize size(TwipsToPixels(width, &window), TwipsToPixels(height, &window));
    if (fixed) {
        window.setFixedSize(size);
    } else {
        window.resize(size);
    }
}

QFont FormFont() {
    QFont font = DialogFont();
    font.setBold(true);
    return font;
}

QFont DialogFont() {
    QFont font;
    // Tried in turn: the designed face, then the metric-close one Debian ships
    // (fonts-liberation2); a desktop with neither gets its nearest sans-serif.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

namespace {
// Where a window of outer size `outer` stands centred on its screen: top first,
// then left, each rounded down.
std::optional<QPoint> CentredTopLeft(const QWidget& window, const QSize& outer) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return std::nullopt;
    }
    const QRect area = screen->geometry();
    const int top = static_cast<int>((area.height() - outer.height()) / 2.0f);
    const int left = static_cast<int>((area.width() - outer.width()) / 2.0f);
    return QPoint(area.x() + left, area.y() + top);
}

// Until the window manager has framed a window its outer size is its inner one,
// and a window centred then lands half a title bar low. Framing a window need
// not move it, so no event says when the frame is there: once the window shows,
// this looks every few milliseconds, centres the window by its framed size, and
// goes once it has stayed centred for a few looks (the window manager may still
// be placing it when the frame appears), so that it never fights the operator
// moving the window; or after three seconds without a frame (no window manager,
// or one that draws no title bars).
class CentreOnceFramed final : public QObject {
public:
    explicit CentreOnceFramed(QWidget& window) : QObject(&window), window_(window) {
        setObjectName(QStringLiteral("CentreOnceFramed"));
        window.installEventFilter(this);
        looks_.setInterval(LookIntervalMs);
        connect(&looks_, &QTimer::timeout, this, &CentreOnceFramed::Look);
        if (window.isVisible()) { // centred as it shows, from its showEvent
            StartLooking();
        }
    }

    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Show && !looks_.isActive()) {
            StartLooking();
        }
        return false;
    }

private:
    static constexpr int LookIntervalMs = 10;
    static constexpr int LooksAfterShowing = 300;
    static constexpr int SettledLooks = 5;

    void StartLooking() {
        looksLeft_ = LooksAfterShowing;
        settledLooks_ = 0;
        looks_.start();
    }

    void Look() {
        if (const auto outer = FramedGeometry(window_)) {
            const auto centred = CentredTopLeft(window_, outer->size());
            if (!centred || outer->topLeft() == *centred) {
                ++settledLooks_;
            } else {
                settledLooks_ = 0;
                MoveFrameTo(window_, *centred);
            }
        }
        if (settledLooks_ >= SettledLooks || --looksLeft_ <= 0 || !window_.isVisible()) {
            window_.removeEventFilter(this);
            looks_.stop();
            deleteLater();
        }
    }

    QWidget& window_;
    QTimer looks_;
    int looksLeft_ = 0;
    int settledLooks_ = 0;
};
} // namespace

std::optional<QRect> FramedGeometry(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    if (handle == nullptr || !window.isVisible()) {
        return std::nullopt;
    }
    // While the window manager is still building its frame the reading can be a
    // 1x1 frame, or one with nothing above the window; a title bar tells that it
    // is done.
    const QMargins frame = handle->frameMargins();
    if (frame.top() <= 0 || frame.left() < 0 || frame.right() < 0 || frame.bottom() < 0) {
        return std::nullopt;
    }
    return handle->frameGeometry();
}

void MoveFrameTo(QWidget& window, const QPoint& topLeft) {
    QWindow* handle = window.windowHandle();
    if (handle != nullptr && window.isVisible()) {
        // The window manager places the frame's corner itself: no need to know
        // how far the frame reaches above and left of the window.
        handle->setFramePosition(topLeft);
    } else {
        window.move(topLeft); // taken as the frame's corner when it shows
    }
}

void CentreOnScreen(QWidget& window) {
    const QSize outer = FramedGeometry(window).value_or(window.frameGeometry()).size();
    if (const auto centred = CentredTopLeft(window, outer)) {
        MoveFrameTo(window, *centred);
    }
    if (window.findChild<QObject*>(QStringLiteral("CentreOnceFramed"),
                                   Qt::FindDirectChildrenOnly) == nullptr) {
        new CentreOnceFramed(window); // owned by the window
    }
}

} // namespace qv4130
