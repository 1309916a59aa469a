#include "PlotCanvas.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace qv4130::characterise {

namespace {

constexpr int TickLength = 4;
constexpr int Gap = 3; // between a label and what it labels
// The lines' colours, which the legend repeats; dark enough for a printed page.
const QColor LineColours[] = {QColor(0x20, 0x7f, 0xc0), QColor(0xd0, 0x60, 0x10)};
const QColor GridColour(0xe0, 0xe0, 0xe0);
const QColor FrameColour(0x70, 0x70, 0x70);

// The scale's ticks: whole steps from 0, so that 0 is one when the scale holds it.
long long FirstStep(const NiceScale& scale) {
    return std::llround(scale.low / scale.step);
}
long long LastStep(const NiceScale& scale) {
    return std::llround(scale.high / scale.step);
}

double Fraction(double value, double low, double high) {
    return high > low ? (value - low) / (high - low) : 0.5;
}

} // namespace

PlotCanvas::PlotCanvas(const QString& valueTitle, std::vector<QString> lineNames, QWidget* parent)
    : QWidget(parent), valueTitle_(valueTitle), lineNames_(std::move(lineNames)),
      codes_(NiceCodeScale(0, 0)), values_(NiceValueScale(0, 0)) {
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted
}

void PlotCanvas::SetLines(std::vector<QList<QPointF>> lines, const NiceScale& codes,
                          const NiceScale& values) {
    lines_ = std::move(lines);
    codes_ = codes;
    values_ = values;
    update();
}

void PlotCanvas::ClearLines() {
    lines_.clear();
    update();
}

void PlotCanvas::ShowCodeLabels(bool show) {
    codeLabels_ = show;
    update();
}

void PlotCanvas::SetSmooth(bool smooth) {
    smooth_ = smooth;
}

int PlotCanvas::ValueTicks() const {
    return std::clamp(PlotArea().height() / 40, 2, 6);
}

QSize PlotCanvas::minimumSizeHint() const {
    return {200, TopRoom() + BottomRoom() + 3 * fontMetrics().height()};
}

// The legend's row, or room for the top label's upper half.
int PlotCanvas::TopRoom() const {
    const int line = fontMetrics().height();
    return lineNames_.size() > 1 ? line + 2 * Gap : line / 2 + Gap;
}

int PlotCanvas::BottomRoom() const {
    const int line = fontMetrics().height();
    return codeLabels_ ? TickLength + Gap + 2 * line : line / 2 + Gap;
}

QRect PlotCanvas::PlotArea() const {
    const QFontMetrics metrics = fontMetrics();
    int labels = 0;
    for (long long k = FirstStep(values_); k <= LastStep(values_); ++k) {
        labels = std::max(labels, metrics.horizontalAdvance(ValueLabel(k)));
    }
    const int left = metrics.height() + Gap + labels + Gap + TickLength;
    // Room for half of the last code's label past the right end.
    const int right = metrics.horizontalAdvance(QStringLiteral("4096")) / 2 + Gap;
    return rect().adjusted(left, TopRoom(), -right, -BottomRoom());
}

// k steps, with the step's own decimals ("-0.025", "0", "2.5").
QString PlotCanvas::ValueLabel(long long k) const {
    if (k == 0) {
        return QStringLiteral("0");
    }
    const double exponent = std::floor(std::log10(values_.step) + 1e-9);
    const double mantissa = values_.step / std::pow(10.0, exponent);
    const int decimals =
        std::max(0, static_cast<int>(-exponent)) + (std::abs(mantissa - 2.5) < 1e-6 ? 1 : 0);
    return QString::number(static_cast<double>(k) * values_.step, 'f', decimals);
}

void PlotCanvas::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, smooth_);
    painter.setPen(Qt::black);
    const QRect area = PlotArea();
    const QFontMetrics metrics = fontMetrics();
    const auto x = [&](double code) {
        return area.left() + Fraction(code, codes_.low, codes_.high) * area.width();
    };
    const auto y = [&](double value) {
        return area.bottom() - Fraction(value, values_.low, values_.high) * area.height();
    };

    for (long long k = FirstStep(values_); k <= LastStep(values_); ++k) {
        const double at = y(static_cast<double>(k) * values_.step);
        painter.setPen(GridColour);
        painter.drawLine(QPointF(area.left(), at), QPointF(area.right(), at));
        painter.setPen(FrameColour);
        painter.drawLine(QPointF(area.left() - TickLength, at), QPointF(area.left(), at));
        painter.setPen(Qt::black);
        const QRectF label(0, at - metrics.height() / 2.0, area.left() - TickLength - Gap,
                           metrics.height());
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, ValueLabel(k));
    }
    for (long long k = FirstStep(codes_); k <= LastStep(codes_); ++k) {
        const double code = static_cast<double>(k) * codes_.step;
        const double at = x(code);
        painter.setPen(GridColour);
        painter.drawLine(QPointF(at, area.top()), QPointF(at, area.bottom()));
        painter.setPen(FrameColour);
        painter.drawLine(QPointF(at, area.bottom()), QPointF(at, area.bottom() + TickLength));
        if (codeLabels_) {
            painter.setPen(Qt::black);
            const QString text = QString::number(static_cast<long long>(code));
            painter.drawText(
                QRectF(at - 40, area.bottom() + TickLength + Gap, 80, metrics.height()),
                Qt::AlignHCenter | Qt::AlignTop, text);
        }
    }
    painter.setPen(FrameColour);
    painter.drawRect(area);

    painter.setPen(Qt::black);
    if (codeLabels_) {
        painter.drawText(
            QRect(area.left(), rect().bottom() - metrics.height(), area.width(), metrics.height()),
            Qt::AlignHCenter, QStringLiteral("code"));
    }
    painter.save();
    painter.translate(0, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-area.height() / 2, 0, area.height(), metrics.height()),
                     Qt::AlignHCenter, valueTitle_);
    painter.restore();

    painter.setClipRect(area.adjusted(0, 0, 1, 1));
    for (std::size_t i = 0; i < lines_.size() && i < std::size(LineColours); ++i) {
        QPolygonF polyline;
        polyline.reserve(lines_[i].size());
        for (const QPointF& point : lines_[i]) {
            polyline.append(QPointF(x(point.x()), y(point.y())));
        }
        // A pen one pixel wide on screen takes the painter's fast line path;
        // a wider one is stroked into polygons, many times dearer.
        QPen pen(LineColours[i], smooth_ ? 1.5 : 1.0);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawPolyline(polyline);
    }
    painter.setClipping(false);

    if (lineNames_.size() > 1) {
        int at = area.left();
        const int middle = Gap + metrics.height() / 2;
        for (std::size_t i = 0; i < lineNames_.size() && i < std::size(LineColours); ++i) {
            painter.setPen(QPen(LineColours[i], 2));
            painter.drawLine(at, middle, at + 16, middle);
            painter.setPen(Qt::black);
            painter.drawText(QRect(at + 20, Gap, area.width(), metrics.height()),
                             Qt::AlignLeft | Qt::AlignVCenter, lineNames_[i]);
            at += 20 + metrics.horizontalAdvance(lineNames_[i]) + 3 * Gap * 2;
        }
    }
}

} // namespace qv4130::characterise
