#include "FormGeometry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

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
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

namespace {
bool FrameKnown(const QWidget& window) {
    return window.frameGeometry().size() != window.geometry().size();
}

void CentreByOuterSize(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->geometry();
    const QRect outer = window.frameGeometry();
    const int top = static_cast<int>((area.height() - outer.height()) / 2.0f);
    const int left = static_cast<int>((area.width() - outer.width()) / 2.0f);
    window.move(area.x() + left, area.y() + top);
}

// Until the window manager has framed a window its outer size is its inner one,
// and a window centred then lands half a title bar low. This watches for the
// frame and centres the window once more when it shows, then goes.
class CentreOnceFramed final : public QObject {
public:
    explicit CentreOnceFramed(QWidget& window) : QObject(&window), window_(window) {
        setObjectName(QStringLiteral("CentreOnceFramed"));
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize) &&
            FrameKnown(window_)) {
            window_.removeEventFilter(this);
            CentreByOuterSize(window_);
            deleteLater();
        }
        return false;
    }

private:
    QWidget& window_;
};
} // namespace

void CentreOnScreen(QWidget& window) {
    CentreByOuterSize(window);
    if (!FrameKnown(window) && window.findChild<QObject*>(QStringLiteral("CentreOnceFramed"),
                                                          Qt::FindDirectChildrenOnly) == nullptr) {
        new CentreOnceFramed(window); // owned by the window
    }
}

} // namespace qv4130
