#pragma once

#include "characterise/Linearity.h"
#include "characterise/LinearityReport.h"

#include <QWidget>

class QLabel;

namespace qv4130::characterise {

class PlotCanvas;

// A channel's plots against code, one above the other, under a heading with the
// channel, date, meter and figures: the error against the ideal line (whose
// volts-against-code plot would show two lines lying on each other), the INL
// against both lines (end-point and best-fit, labelled), and the DNL, all in
// LSB. The same widget is drawn on screen in the window and, unseen, into the
// files qv4130ctl saves, so the two match.
class LinearityPlots final : public QWidget {
    Q_OBJECT

public:
    explicit LinearityPlots(QWidget* parent = nullptr);

    // Redraws every plot from the result: the whole series at once, which the
    // caller does a few times a second at most, never per code. The ideal line
    // is the one the result was reckoned against.
    void Show(const Linearity& result);
    // Takes the lines and the figures away, leaving the axes as they are.
    void Clear();
    void SetHeading(const RunRecord& record);

    // The plots as they stand, at the widget's size; false when the file could
    // not be written.
    bool SavePng(const QString& path);
    bool SaveSvg(const QString& path);
    // Whether this build writes SVG (its Qt has Qt Svg).
    static bool CanSaveSvg();

    // The plots drawn unseen at `size`, for a program without a window.
    static bool SavePng(const Linearity& result, const RunRecord& record, const QString& path,
                        QSize size = {900, 900});

private:
    void Smooth(bool smooth);

    QLabel* heading_ = nullptr;
    QLabel* figures_ = nullptr;
    PlotCanvas* error_ = nullptr;
    PlotCanvas* inl_ = nullptr;
    PlotCanvas* dnl_ = nullptr;
};

} // namespace qv4130::characterise
