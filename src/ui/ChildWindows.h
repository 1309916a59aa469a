#pragma once

#include "board/Board.h"
#include "host/MessageSink.h"
#include "host/SystemInformation.h"

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

// The program's own windows: Mode 1 and Mode 2 over the board, About over the host's System
// Information lookup. Everything passed in must outlive the openers.
ChildWindows ProgramChildWindows(Board& board, MessageSink& messages,
                                 const SystemInformationHost& sysInfo);

} // namespace qv4130
