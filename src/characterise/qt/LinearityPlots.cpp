#include "LinearityPlots.h"

#include "Envelope.h"
#include "SaveWhole.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QPainter>
#include <QPixmap>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace qv4130::characterise {

namespace {

// About one bucket to every two pixels of a plot's width: each is drawn as a
// vertical stroke from its lowest to its highest point, so nothing is lost to
// the eye, and a redraw stays a few milliseconds.
constexpr qsizetype EnvelopeBuckets = 200;

// A value axis spanning the values, widened to round numbers so no line runs
// along the frame; a single value gets a span of its own. An axis that already
// holds the values, and is not far too wide for them, is left as it is: every
// new range lays out all of the axis' labels again, the dearest part of a redraw.
void Span(QValueAxis& axis, double low, double high) {
    const double margin = high > low ? (high - low) * 0.05 : 0.5;
    low -= margin;
    high += margin;
    if (axis.min() <= low && axis.max() >= high && axis.max() - axis.min() <= 2 * (high - low)) {
        return;
    }
    axis.setRange(low, high);
    axis.applyNiceNumbers();
}

// The codes axis ends at the first and last code measured.
void SpanCodes(QValueAxis& axis, double low, double high) {
    high = high > low ? high : low + 1;
    if (axis.min() != low || axis.max() != high) {
        axis.setRange(low, high);
    }
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
    output_ = AddPlot(QStringLiteral("Output"), QStringLiteral("V"));
    inl_ = AddPlot(QStringLiteral("INL"), QStringLiteral("LSB"));
    dnl_ = AddPlot(QStringLiteral("DNL"), QStringLiteral("LSB"));
    measured_ = AddSeries(output_, QStringLiteral("measured"));
    ideal_ = AddSeries(output_, QStringLiteral("ideal"));
    inlEndPoint_ = AddSeries(inl_, QStringLiteral("INL, end-point line"));
    inlBestFit_ = AddSeries(inl_, QStringLiteral("INL, best-fit line"));
    dnlSeries_ = AddSeries(dnl_, QStringLiteral("DNL"));
    dnl_.chart->legend()->hide();
    setMinimumSize(420, 480);
}

LinearityPlots::Plot LinearityPlots::AddPlot(const QString& title, const QString& unit) {
    Plot plot{new QChart, new QValueAxis, new QValueAxis};
    plot.chart->setTitle(title);
    // Little room around each plot: in a narrow window they stand under the
    // settings, and every pixel of height goes to the curves and their labels.
    plot.chart->setMargins(QMargins(4, 0, 4, 0));
    plot.chart->layout()->setContentsMargins(0, 0, 0, 0);
    plot.chart->setBackgroundRoundness(0);
    plot.chart->legend()->setAlignment(Qt::AlignTop); // the plots keep one width
    plot.codes->setTitleText(QStringLiteral("code"));
    plot.codes->setLabelFormat(QStringLiteral("%d"));
    plot.values->setTitleText(unit);
    plot.chart->addAxis(plot.codes, Qt::AlignBottom);
    plot.chart->addAxis(plot.values, Qt::AlignLeft);
    auto* view = new QChartView(plot.chart, this); // the view owns the chart
    view->setObjectName(title.toLower() + QStringLiteral("Plot"));
    // Drawn rough while a run goes (smoothing costs more than the run itself
    // on a fast board); the saved images are smoothed.
    view->setRenderHint(QPainter::Antialiasing, false);
    view->setFocusPolicy(Qt::NoFocus);
    layout()->addWidget(view);
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
    const IdealTransfer& ideal = result.ideal;
    QList<QPointF> volts, endPoint, bestFit, dnl;
    volts.reserve(static_cast<qsizetype>(result.codes.size()));
    endPoint.reserve(volts.capacity());
    bestFit.reserve(volts.capacity());
    dnl.reserve(volts.capacity());
    Bounds codes, voltBounds, inlBounds, dnlBounds;
    for (const CodeResult& c : result.codes) {
        volts.append({double(c.code), c.volts});
        endPoint.append({double(c.code), c.inlEndPointLsb});
        bestFit.append({double(c.code), c.inlBestFitLsb});
        codes.Take(c.code);
        voltBounds.Take(c.volts);
        inlBounds.Take(c.inlEndPointLsb);
        inlBounds.Take(c.inlBestFitLsb);
        if (c.dnlLsb) {
            dnl.append({double(c.code), *c.dnlLsb});
            dnlBounds.Take(*c.dnlLsb);
        }
    }
    QList<QPointF> idealLine;
    if (!codes.empty) {
        idealLine = {{codes.low, ideal.Volts(int(codes.low))},
                     {codes.high, ideal.Volts(int(codes.high))}};
        voltBounds.Take(idealLine.front().y());
        voltBounds.Take(idealLine.back().y());
    }
    // The axes first: the lines are then laid out once, on their final axes.
    for (const Plot* plot : {&output_, &inl_, &dnl_}) {
        SpanCodes(*plot->codes, codes.low, codes.high);
    }
    Span(*output_.values, voltBounds.low, voltBounds.high);
    Span(*inl_.values, inlBounds.low, inlBounds.high);
    Span(*dnl_.values, dnlBounds.low, dnlBounds.high);
    measured_->replace(Envelope(volts, EnvelopeBuckets));
    ideal_->replace(idealLine);
    inlEndPoint_->replace(Envelope(endPoint, EnvelopeBuckets));
    inlBestFit_->replace(Envelope(bestFit, EnvelopeBuckets));
    dnlSeries_->replace(Envelope(dnl, EnvelopeBuckets));
}

void LinearityPlots::Smooth(bool smooth) {
    for (QChartView* view : findChildren<QChartView*>()) {
        view->setRenderHint(QPainter::Antialiasing, smooth);
    }
}

void LinearityPlots::Clear() {
    for (QLineSeries* series : {measured_, ideal_, inlEndPoint_, inlBestFit_, dnlSeries_}) {
        series->clear();
    }
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

bool LinearityPlots::SavePng(const Linearity& result, const QString& path, QSize size) {
    LinearityPlots plots;
    plots.setAttribute(Qt::WA_DontShowOnScreen);
    plots.resize(size);
    plots.show(); // laid out and polished as on screen, so the file matches the window
    plots.Show(result);
    return plots.SavePng(path);
}

} // namespace qv4130::characterise
