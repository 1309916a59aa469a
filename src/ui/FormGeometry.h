#pragma once

#include <QFont>

class QWidget;

namespace qv4130 {

// Window layouts are kept in twips, 1/1440 inch: 15 twips to a pixel at 96 dots
// per inch. Converting with the screen's logical DPI keeps the layout's physical
// size on high-DPI screens.
int TwipsToPixels(int twips, const QWidget* widget = nullptr);

// Places `widget` at left/top with width/height, all in twips, relative to its parent.
void PlaceInTwips(QWidget& widget, int left, int top, int width, int height);

// Sets the client area of a window to width x height twips, fixed or sizable.
void SetClientSizeInTwips(QWidget& window, int width, int height, bool fixed);

// "MS Sans Serif" 8.25 pt bold where installed, else the closest sans-serif face.
QFont FormFont();

// Centres the window on the whole screen by its outer (framed) size:
// top first, then left, as the forms have always done.
void CentreOnScreen(QWidget& window);

} // namespace qv4130
