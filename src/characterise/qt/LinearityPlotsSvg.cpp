#include "LinearityPlots.h"

#include "SaveWhole.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

namespace qv4130::characterise {

bool LinearityPlots::CanSaveSvg() {
    return true;
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
