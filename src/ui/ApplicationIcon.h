#pragma once

#include <QIcon>
#include <QPixmap>

namespace qv4130 {

// The program's one icon, a 32 x 32, 16-colour integrated-circuit package, kept
// in the resources at ApplicationIconPath. It is the application's icon, the
// main window's and the picture of the About box.
inline constexpr const char* ApplicationIconPath = ":/qv4130/qv4130.png";

QPixmap ApplicationIconPixmap();
QIcon ApplicationIcon();

} // namespace qv4130
