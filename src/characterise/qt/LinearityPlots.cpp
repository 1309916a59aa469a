#include "LinearityPlots.h"

#include "Envelope.h"
#include "PlotCanvas.h"
#include "SaveWhole.h"
#include "characterise/LinearityReport.h"
#include "characterise/NiceScale.h"
#include "qv4130/BoardVocabulary.h"

#include <QBuffer>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace qv4130::characterise {

namespace {

// About one bucket to every two pixels of a plot's width: each is drawn as a
// vertical stroke from its lowest to its highest point, so nothing is lost to
// the eye, and a redraw stays cheap.
constexpr qsizetype EnvelopeBuckets = 200;

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
    error_ = new PlotCanvas(QStringLiteral("error (LSB)"),
                            {QStringLiteral("error against the ideal line")}, this);
    // Its legend names its lines, so its axis' title is short.
    inl_ = new PlotCanvas(
        QStringLiteral("LSB"),
        {QStringLiteral("INL, end-point line"), QStringLiteral("INL, best-fit line")}, this);
    dnl_ = new PlotCanvas(QStringLiteral("DNL (LSB)"), {QStringLiteral("DNL")}, this);
    for (PlotCanvas* plot : {error_, inl_, dnl_}) {
        plot->SetLines({}, NiceCodeScale(0, FullScaleCode), NiceValueScale(0, 0));
        layout->addWidget(plot, 1);
    }
    error_->setObjectName(QStringLiteral("errorPlot"));
    inl_->setObjectName(QStringLiteral("inlPlot"));
    dnl_->setObjectName(QStringLiteral("dnlPlot"));
    // The three share their codes: only the lowest plot labels them, so the
    // upper two keep that height for their curves in a narrow window.
    error_->ShowCodeLabels(false);
    inl_->ShowCodeLabels(false);
    setMinimumSize(420, 480);
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
    const NiceScale codeScale = NiceCodeScale(int(codes.low), int(codes.high));
    error_->SetLines({Envelope(error, EnvelopeBuckets)}, codeScale,
                     NiceValueScale(errorBounds.low, errorBounds.high, error_->ValueTicks()));
    inl_->SetLines({Envelope(endPoint, EnvelopeBuckets), Envelope(bestFit, EnvelopeBuckets)},
                   codeScale, NiceValueScale(inlBounds.low, inlBounds.high, inl_->ValueTicks()));
    dnl_->SetLines({Envelope(dnl, EnvelopeBuckets)}, codeScale,
                   NiceValueScale(dnlBounds.low, dnlBounds.high, dnl_->ValueTicks()));
    figures_->setText(result.summary ? QString::fromStdString(FiguresLine(*result.summary))
                                     : QString());
}

void LinearityPlots::Smooth(bool smooth) {
    for (PlotCanvas* plot : {error_, inl_, dnl_}) {
        plot->SetSmooth(smooth);
    }
}

void LinearityPlots::Clear() {
    for (PlotCanvas* plot : {error_, inl_, dnl_}) {
        plot->ClearLines();
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

} // namespace qv4130::characterise
