// The program's start routine, Main: start-up, the chip held in reset, the main window.
#include "Declare.h"

#include "board/PortIo.h"
#include "qv4130/BoardVocabulary.h"

namespace qv4130 {

void Main(StartupContext& context) {
    InitPort(context);
    // RESET low, so the chip starts from a known state; the main window's load
    // releases it again unless the window was already loaded during the port search.
    PortOut(context.library, context.state.PortAddress, board_byte::HeldInReset);
    context.mainWindow.ShowModal();
}

} // namespace qv4130
