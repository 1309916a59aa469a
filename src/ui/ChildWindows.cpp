#include "ChildWindows.h"

#include "Mode1Form.h"
#include "Mode2Form.h"
#include "frmAbout.h"

namespace qv4130 {

ChildWindows ProgramChildWindows(PortLibrary& library, SharedState& state, MessageSink& messages,
                                 const SystemInformationHost& sysInfo) {
    ChildWindows children;
    children.openMode1 = [&library, &state, &messages](QWidget* owner) {
        OpenMode1Form(owner, library, state, messages);
    };
    children.openMode2 = [&library, &state, &messages](QWidget* owner) {
        OpenMode2Form(owner, library, state, messages);
    };
    children.openAbout = [sysInfo](QWidget* owner) { OpenAbout(owner, sysInfo); };
    return children;
}

} // namespace qv4130
