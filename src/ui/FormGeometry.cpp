#include "FormGeometry.h"

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

void CentreOnScreen(QWidget& window) {
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

} // namespace qv4130
