#pragma once

#include <functional>

class QWidget;

namespace qv4130 {

// How the main window opens the windows it leads to. Each opener shows its window
// modally and returns when it closes; an empty one means the window is not there.
struct ChildWindows {
    std::function<void(QWidget* mainWindow)> openMode1;
    std::function<void(QWidget* mainWindow)> openMode2;
    std::function<void(QWidget* mainWindow)> openAbout;
};

} // namespace qv4130
