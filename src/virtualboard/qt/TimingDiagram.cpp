#include "TimingDiagram.h"

#include "qv4130/BoardVocabulary.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace qv4130 {

namespace {
struct Trace {
    const char* name;
    std::uint8_t mask;
};
constexpr std::array<Trace, 3> Traces{
    {{"SYNC", line::Sync}, {"SCLK", line::Sclk}, {"DIN", line::Din}}};

constexpr int Margin = 6;
constexpr int RowHeight = 30;
constexpr int SwingPadding = 6; // space between a trace's high and low and its row edges
constexpr int PreferredSlotWidth = 7;
constexpr int SlotsForSizeHint = static_cast<int>(WordLineSamples);
} // namespace

TimingDiagram::TimingDiagram(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("timingDiagram"));
    setAccessibleName(QStringLiteral("Timing of the last word"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TimingDiagram::SetWord(const std::optional<ReceivedWord>& word) {
    static const std::vector<std::uint8_t> noSamples;
    static const std::vector<std::uint16_t> noBits;
    const auto& samples = word ? word->lineLevels : noSamples;
    const auto& bits = word ? word->bitSamples : noBits;
    if (samples == samples_ && bits == bitSamples_) {
        return;
    }
    samples_ = samples;
    bitSamples_ = bits;
    update();
}

QSize TimingDiagram::sizeHint() const {
    const int labelWidth = fontMetrics().horizontalAdvance(QStringLiteral("SCLK")) + 2 * Margin;
    return {labelWidth + SlotsForSizeHint * PreferredSlotWidth + Margin,
            static_cast<int>(Traces.size()) * RowHeight + fontMetrics().height() + 2 * Margin};
}

QSize TimingDiagram::minimumSizeHint() const {
    return {sizeHint().width() / 2, sizeHint().height()};
}

void TimingDiagram::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink = palette().color(QPalette::WindowText);
    const QColor guide = palette().color(QPalette::Mid);
    painter.fillRect(rect(), palette().color(QPalette::Base));

    const int labelWidth = fontMetrics().horizontalAdvance(QStringLiteral("SCLK")) + 2 * Margin;
    const QRect plot(labelWidth, Margin, width() - labelWidth - Margin,
                     static_cast<int>(Traces.size()) * RowHeight);

    painter.setPen(ink);
    for (std::size_t row = 0; row < Traces.size(); ++row) {
        const QRect labelRect(0, plot.top() + static_cast<int>(row) * RowHeight,
                              labelWidth - Margin, RowHeight);
        painter.drawText(labelRect, Qt::AlignRight | Qt::AlignVCenter,
                         QString::fromLatin1(Traces[row].name));
    }
    if (samples_.empty() || plot.width() <= 0) {
        return;
    }

    const double slot = static_cast<double>(plot.width()) / static_cast<double>(samples_.size());
    auto slotLeft = [&](std::size_t i) { return plot.left() + slot * static_cast<double>(i); };

    painter.setPen(QPen(guide, 1, Qt::DotLine));
    for (const std::uint16_t i : bitSamples_) {
        const double x = slotLeft(i);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }

    painter.setPen(QPen(ink, 1.5));
    for (std::size_t row = 0; row < Traces.size(); ++row) {
        const double top = plot.top() + static_cast<double>(row) * RowHeight;
        const double highY = top + SwingPadding;
        const double lowY = top + RowHeight - SwingPadding;
        auto levelY = [&](std::uint8_t levels) {
            return LineHigh(levels, Traces[row].mask) ? highY : lowY;
        };

        QPainterPath path(QPointF(slotLeft(0), levelY(samples_.front())));
        for (std::size_t i = 0; i < samples_.size(); ++i) {
            const double y = levelY(samples_[i]);
            path.lineTo(slotLeft(i), y); // the edge, if the level changed with this write
            path.lineTo(slotLeft(i + 1), y);
        }
        painter.drawPath(path);
    }

    // Under the traces, the bit the chip took at each mark, as a protocol decoder shows it.
    painter.setPen(ink);
    const int textHeight = fontMetrics().height();
    for (const std::uint16_t i : bitSamples_) {
        const QRectF cell(slotLeft(i) - slot * 1.5, plot.bottom() + 1, slot * 3, textHeight);
        painter.drawText(cell, Qt::AlignCenter,
                         LineHigh(samples_.at(i), line::Din) ? QStringLiteral("1")
                                                             : QStringLiteral("0"));
    }
}

} // namespace qv4130
