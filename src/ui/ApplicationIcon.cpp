#include "ApplicationIcon.h"

// The resources live in a static library; naming them here makes the linker keep
// them in every program that uses the icon.
static void InitIconResources() {
    Q_INIT_RESOURCE(qv4130);
}

namespace qv4130 {

QPixmap ApplicationIconPixmap() {
    InitIconResources();
    return QPixmap(QString::fromLatin1(ApplicationIconPath));
}

QIcon ApplicationIcon() {
    return QIcon(ApplicationIconPixmap());
}

} // namespace qv4130
