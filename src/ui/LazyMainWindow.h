#pragma once

#include "ChildWindows.h"
#include "MainForm.h"
#include "board/MainWindowAccess.h"

#include <memory>

namespace qv4130 {

// The main window as start-up reaches it: the MainForm is created, and so loaded,
// by whichever call touches it first.
class LazyMainWindow final : public MainWindowAccess {
public:
    LazyMainWindow(PortLibrary& library, SharedState& state, MessageSink& messages,
                   ChildWindows children, MainFormHooks hooks = {});
    ~LazyMainWindow() override;

    void DisablePortItem(PortMenuItem item) override;
    // Shows the window application-modal and runs its events until it is closed.
    void ShowModal() override;

    // The window once loaded, else nullptr.
    MainForm* Loaded() const { return form_.get(); }

private:
    MainForm& Form();

    PortLibrary& library_;
    SharedState& state_;
    MessageSink& messages_;
    ChildWindows children_;
    MainFormHooks hooks_;
    std::unique_ptr<MainForm> form_;
};

} // namespace qv4130
