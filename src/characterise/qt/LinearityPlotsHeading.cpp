#include "LinearityPlots.h"

#include <QCoreApplication>
#include <QLabel>

// What the plots do alike with or without Qt Svg: their heading, and the
// picture of a result drawn unseen.
namespace qv4130::characterise {

void LinearityPlots::SetHeading(const RunRecord& record) {
    heading_->setText(
        QStringLiteral("Channel %1, %2, meter: %3")
            .arg(record.channel)
            .arg(QString::fromStdString(record.when), QString::fromStdString(record.meter)));
}

bool LinearityPlots::SavePng(const Linearity& result, const RunRecord& record, const QString& path,
                             QSize size) {
    LinearityPlots plots;
    plots.SetHeading(record);
    plots.setAttribute(Qt::WA_DontShowOnScreen);
    plots.resize(size);
    plots.show(); // laid out and polished as on screen, so the file matches the window
    plots.Show(result);
    // The heading and figures may wrap onto another line, which the layout
    // takes up on the event loop's next turn: the picture is taken after.
    QCoreApplication::processEvents();
    return plots.SavePng(path);
}

} // namespace qv4130::characterise
