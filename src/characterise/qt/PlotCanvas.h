#pragma once

#include "characterise/NiceScale.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <vector>

namespace qv4130::characterise {

// One plot against code, painted straight onto the widget: the value axis on
// its nice scale (grid, ticks, labels and title), the code axis under it, up
// to two lines and, for two, a legend naming them. A run redraws its plots
// after every reading on the thread that also serves the SCPI clients; a
// charting library's scene of items (one per tick, label and line) took that
// thread 8 to 12 ms a redraw, which is what a client then waited.
class PlotCanvas final : public QWidget {
public:
    // `lineNames`: one per line SetLines takes, in its order.
    PlotCanvas(const QString& valueTitle, std::vector<QString> lineNames, QWidget* parent);

    // The lines' points as (code, value) in code order, on these scales.
    void SetLines(std::vector<QList<QPointF>> lines, const NiceScale& codes,
                  const NiceScale& values);
    // The lines taken away, the scales kept.
    void ClearLines();
    // Only the lowest of plots stacked on the same codes labels them.
    void ShowCodeLabels(bool show);
    // Drawn rough on screen while a run goes; smoothed for the saved pictures.
    void SetSmooth(bool smooth);
    // As many value ticks as the plot's height takes without their labels crowding.
    int ValueTicks() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect PlotArea() const;
    int TopRoom() const;
    int BottomRoom() const;
    QString ValueLabel(long long step) const;

    QString valueTitle_;
    std::vector<QString> lineNames_;
    std::vector<QList<QPointF>> lines_;
    NiceScale codes_;
    NiceScale values_;
    bool codeLabels_ = true;
    bool smooth_ = false;
};

} // namespace qv4130::characterise
