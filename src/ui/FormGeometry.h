#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>
#include <utility>
#include <vector>

namespace qv4130 {

// Window layouts are kept in twips, 1/1440 inch: 15 twips to a pixel at 96 dots
// per inch. Converting with the screen's logical DPI keeps the layout's physical
// size on high-DPI screens.
int TwipsToPixels(int twips, const QWidget* widget = nullptr);

// A rectangle in twips, relative to the containing window or frame.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Places `widget` at left/top with width/height, all in twips, relative to its parent.
void PlaceInTwips(QWidget& widget, int left, int top, int width, int height);

inline void Place(QWidget& widget, const TwipsRect& rect) {
    PlaceInTwips(widget, rect.left, rect.top, rect.width, rect.height);
}

// Makes a control on `parent`, named as the windows and their tests know it and
// placed at `rect`. `args` are what the control's constructor takes before the
// parent, such as its caption.
template <class Control, class... Args>
Control* MakeControl(QWidget* parent, const QString& name, const TwipsRect& rect, Args&&... args) {
    auto* control = new Control(std::forward<Args>(args)..., parent);
    control->setObjectName(name);
    Place(*control, rect);
    return control;
}

// Tab order from first to last.
void ChainTabOrder(const std::vector<QWidget*>& order);

// Sets the client area of a window to width x height twips, fixed or sizable.
void SetClientSizeInTwips(QWidget& window, int width, int height, bool fixed);

// "MS Sans Serif" 8.25 pt bold where installed (Windows); elsewhere Liberation
// Sans, whose letters are as wide as the Windows faces the windows' boxes were
// sized for, so every caption fits as it was laid out.
QFont FormFont();
// The same face, regular: the windows' own font, which their buttons inherit.
QFont DialogFont();

// The top-level window's outer rectangle as the window manager framed it, read
// from the window system (the widget's own copy lags behind a frame that came
// without a move). Empty until the window shows with a title bar above it.
std::optional<QRect> FramedGeometry(const QWidget& window);

// Moves the top-level window so that its frame's top-left corner is at `topLeft`.
void MoveFrameTo(QWidget& window, const QPoint& topLeft);

// Centres the window on the whole screen by its outer (framed) size:
// top first, then left, as the forms have always done. A window not yet framed
// is centred again once its frame is known.
void CentreOnScreen(QWidget& window);

} // namespace qv4130
