#include "LinearityPlots.h"

#include "SaveWhole.h"

#include <QBuffer>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace qv4130::characterise {

// The plots where the program's Qt has no Qt Svg (a Windows build whose Qt
// came without it): the heading and the figures are shown and saved as a
// picture, the plots themselves are not drawn, and no SVG is written.
LinearityPlots::LinearityPlots(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("linearityPlots"));
    auto* layout = new QVBoxLayout(this);
    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("plotHeading"));
    figures_ = new QLabel(this);
    figures_->setObjectName(QStringLiteral("plotFigures"));
    auto* missing = new QLabel(tr("No plots: this build of the program has no Qt Svg."), this);
    for (QLabel* label : {heading_, figures_, missing}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignHCenter);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addStretch(1);
    setMinimumSize(420, 120);
}

void LinearityPlots::Show(const Linearity& result) {
    figures_->setText(result.summary ? QString::fromStdString(FiguresLine(*result.summary))
                                     : QString());
}

void LinearityPlots::Clear() {
    figures_->clear();
}

bool LinearityPlots::SavePng(const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return grab().save(&buffer, "PNG") && SaveWhole(path, bytes);
}

bool LinearityPlots::SaveSvg(const QString&) {
    return false;
}

} // namespace qv4130::characterise
