#pragma once

#include <QMainWindow>

namespace qv4130::bench {

// The yardstick for the main window: a plain Qt window of the same outer size,
// with the same seven buttons (captions as the operator sees them once loaded,
// the form font, the same places) and the same port menu, and nothing else: no
// port I/O, no handlers, no icon, no separator lines. What the main window costs
// beyond this is the program's own doing.
class BareWindow final : public QMainWindow {
public:
    explicit BareWindow(QWidget* parent = nullptr);
};

} // namespace qv4130::bench
