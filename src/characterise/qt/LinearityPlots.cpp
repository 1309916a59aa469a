#include "LinearityPlots.h"

#include "Envelope.h"
#include "SaveWhole.h"
#include "characterise/LinearityReport.h"
#include "characterise/NiceScale.h"

#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPixmap>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace qv4130::characterise {

namespace {

// About one bucket to every two pixels of a plot's width: each is drawn as a
// vertical stroke from its lowest to its highest point, so nothing is lost to
// the eye, and a redraw stays a few milliseconds.
constexpr qsizetype EnvelopeBuckets = 200;

// Sets an axis to a nice scale, its ticks on the scale's steps. An axis already
// on that scale is left as it is: every new range lays out all of the axis'
// labels again, the dearest part of a redraw.
// The axis' ticks as whole steps from 0, each labelled with the step's own
// decimals ("-0.025", "0", "2.5"), written here: Qt's own dynamic ticks add the
// step up from the end and label 0 as -6.93889e-18.
void Apply(QCategoryAxis& axis, const NiceScale& scale) {
    if (!axis.categoriesLabels().isEmpty() && axis.min() == scale.low && axis.max() == scale.high &&
        axis.endValue(axis.categoriesLabels().front()) == scale.low) {
        return;
    }
    const double exponent = std::floor(std::log10(scale.step) + 1e-9);
    const double mantissa = scale.step / std::pow(10.0, exponent);
    const int decimals =
        std::max(0, static_cast<int>(-exponent)) + (std::abs(mantissa - 2.5) < 1e-6 ? 1 : 0);
    for (const QString& label : axis.categoriesLabels()) {
        axis.remove(label);
    }
    const auto first = static_cast<long long>(std::llround(scale.low / scale.step));
    const auto last = static_cast<long long>(std::llround(scale.high / scale.step));
    for (long long k = first; k <= last; ++k) {
        axis.append(k == 0 ? QStringLiteral("0") : QString::number(k * scale.step, 'f', decimals),
                    k * scale.step);
    }
    axis.setStartValue(scale.low);
    axis.setRange(scale.low, scale.high);
}

// Codes are whole: Qt's ticks serve them.
void Apply(QValueAxis& axis, const NiceScale& scale) {
    if (axis.tickInterval() == scale.step && axis.min() == scale.low && axis.max() == scale.high) {
        return;
    }
    axis.setRange(scale.low, scale.high);
    axis.setTickType(QValueAxis::TicksDynamic);
    axis.setTickAnchor(0.0);
    axis.setTickInterval(scale.step);
}

// As many value ticks as the plot's height takes without its labels crowding
// (the axis then elides them all).
int Ticks(const QChart& chart) {
    return std::clamp(static_cast<int>(chart.plotArea().height() / 40), 2, 6);
}

struct Bounds {
    double low = 0.0;
    double high = 0.0;
    bool empty = true;

    void Take(double value) {
        low = empty ? value : std::min(low, value);
        high = empty ? value : std::max(high, value);
        empty = false;
    }
};

} // namespace

LinearityPlots::LinearityPlots(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("linearityPlots"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("plotHeading"));
    figures_ = new QLabel(this);
    figures_->setObjectName(QStringLiteral("plotFigures"));
    for (QLabel* label : {heading_, figures_}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignHCenter);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    error_ = AddPlot(QStringLiteral("error"));
    inl_ = AddPlot(QStringLiteral("INL"));
    dnl_ = AddPlot(QStringLiteral("DNL"));
    errorSeries_ = AddSeries(error_, QStringLiteral("error against the ideal line"));
    inlEndPoint_ = AddSeries(inl_, QStringLiteral("INL, end-point line"));
    inlBestFit_ = AddSeries(inl_, QStringLiteral("INL, best-fit line"));
    // Its legend names it, and takes the height its axis' full title would need.
    inl_.values->setTitleText(QStringLiteral("LSB"));
    dnlSeries_ = AddSeries(dnl_, QStringLiteral("DNL"));
    for (const Plot* plot : {&error_, &dnl_}) {
        plot->chart->legend()->hide();
    }
    // The three share their codes: only the lowest plot labels them, so the
    // upper two keep that height for their curves in a narrow window.
    for (const Plot* plot : {&error_, &inl_}) {
        plot->codes->setLabelsVisible(false);
        plot->codes->setTitleVisible(false);
    }
    setMinimumSize(420, 480);
}

LinearityPlots::Plot LinearityPlots::AddPlot(const QString& name) {
    Plot plot{new QChart, new QValueAxis, new QCategoryAxis};
    // Little room around each plot, and its name on its axis rather than over
    // it: in a narrow window the plots stand under the settings, and every
    // pixel of height goes to the curves and their labels.
    plot.chart->setMargins(QMargins(4, 6, 4, 6)); // room for the end labels
    plot.chart->layout()->setContentsMargins(0, 0, 0, 0);
    plot.chart->setBackgroundRoundness(0);
    plot.chart->legend()->setAlignment(Qt::AlignTop); // the plots keep one width
    plot.codes->setTitleText(QStringLiteral("code"));
    plot.codes->setLabelFormat(QStringLiteral("%d"));
    plot.values->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    plot.values->setTitleText(name + QStringLiteral(" (LSB)"));
    plot.chart->addAxis(plot.codes, Qt::AlignBottom);
    plot.chart->addAxis(plot.values, Qt::AlignLeft);
    auto* view = new QChartView(plot.chart, this); // the view owns the chart
    view->setObjectName(name.toLower() + QStringLiteral("Plot"));
    // Drawn rough while a run goes (smoothing costs more than the run itself
    // on a fast board); the saved images are smoothed.
    view->setRenderHint(QPainter::Antialiasing, false);
    view->setFocusPolicy(Qt::NoFocus);
    layout()->addWidget(view);
    Apply(*plot.codes, NiceCodeScale(0, FullScaleCode));
    Apply(*plot.values, NiceValueScale(0, 0));
    return plot;
}

QLineSeries* LinearityPlots::AddSeries(const Plot& plot, const QString& name) {
    auto* series = new QLineSeries;
    series->setName(name);
    plot.chart->addSeries(series);
    series->attachAxis(plot.codes);
    series->attachAxis(plot.values);
    return series;
}

void LinearityPlots::Show(const Linearity& result) {
    QList<QPointF> error, endPoint, bestFit, dnl;
    error.reserve(static_cast<qsizetype>(result.codes.size()));
    endPoint.reserve(error.capacity());
    bestFit.reserve(error.capacity());
    dnl.reserve(error.capacity());
    Bounds codes, errorBounds, inlBounds, dnlBounds;
    for (const CodeResult& c : result.codes) {
        error.append({double(c.code), c.errorLsb});
        endPoint.append({double(c.code), c.inlEndPointLsb});
        bestFit.append({double(c.code), c.inlBestFitLsb});
        codes.Take(c.code);
        errorBounds.Take(c.errorLsb);
        inlBounds.Take(c.inlEndPointLsb);
        inlBounds.Take(c.inlBestFitLsb);
        if (c.dnlLsb) {
            dnl.append({double(c.code), *c.dnlLsb});
            dnlBounds.Take(*c.dnlLsb);
        }
    }
    // The axes first: the lines are then laid out once, on their final axes.
    for (const Plot* plot : {&error_, &inl_, &dnl_}) {
        Apply(*plot->codes, NiceCodeScale(int(codes.low), int(codes.high)));
    }
    Apply(*error_.values, NiceValueScale(errorBounds.low, errorBounds.high, Ticks(*error_.chart)));
    Apply(*inl_.values, NiceValueScale(inlBounds.low, inlBounds.high, Ticks(*inl_.chart)));
    Apply(*dnl_.values, NiceValueScale(dnlBounds.low, dnlBounds.high, Ticks(*dnl_.chart)));
    errorSeries_->replace(Envelope(error, EnvelopeBuckets));
    inlEndPoint_->replace(Envelope(endPoint, EnvelopeBuckets));
    inlBestFit_->replace(Envelope(bestFit, EnvelopeBuckets));
    dnlSeries_->replace(Envelope(dnl, EnvelopeBuckets));
    figures_->setText(result.summary ? QString::fromStdString(FiguresLine(*result.summary))
                                     : QString());
}

void LinearityPlots::Smooth(bool smooth) {
    for (QChartView* view : findChildren<QChartView*>()) {
        view->setRenderHint(QPainter::Antialiasing, smooth);
    }
}

void LinearityPlots::Clear() {
    for (QLineSeries* series : {errorSeries_, inlEndPoint_, inlBestFit_, dnlSeries_}) {
        series->clear();
    }
    figures_->clear();
}

bool LinearityPlots::SavePng(const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    Smooth(true);
    const QPixmap image = grab();
    Smooth(false);
    return image.save(&buffer, "PNG") && SaveWhole(path, bytes);
}

bool LinearityPlots::SaveSvg(const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size());
    svg.setViewBox(rect());
    svg.setTitle(QStringLiteral("QV4130 linearity"));
    QPainter painter;
    if (!painter.begin(&svg)) {
        return false;
    }
    Smooth(true);
    render(&painter);
    Smooth(false);
    painter.end();
    return SaveWhole(path, bytes);
}

} // namespace qv4130::characterise
