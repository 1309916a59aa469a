#pragma once

#include "board/PrinterPorts.h"

namespace qv4130 {

// The main window as start-up sees it. The window is loaded at its first touch,
// and loading it runs its load handler, which writes to the port; so whichever
// call comes first decides where those writes fall in the start-up sequence.
class MainWindowAccess {
public:
    virtual ~MainWindowAccess() = default;

    // Greys out one item of the port menu, loading the window first if need be.
    virtual void DisablePortItem(PortMenuItem item) = 0;

    // Loads the window if need be, shows it modally and returns once it is closed.
    virtual void ShowModal() = 0;
};

} // namespace qv4130
