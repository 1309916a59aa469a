#include "ChildWindows.h"

#include "Mode1Form.h"
#include "Mode2Form.h"
#include "frmAbout.h"

namespace qv4130 {

ChildWindows ProgramChildWindows(Board& board, MessageSink& messages,
                                 const SystemInformationHost& sysInfo) {
    ChildWindows children;
    children.openMode1 = [&board, &messages](QWidget* owner) {
        OpenMode1Form(owner, board, messages);
    };
    children.openMode2 = [&board, &messages](QWidget* owner) {
        OpenMode2Form(owner, board, messages);
    };
    children.openAbout = [sysInfo](QWidget* owner) { OpenAbout(owner, sysInfo); };
    return children;
}

} // namespace qv4130
