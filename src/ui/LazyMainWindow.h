#pragma once

#include "MainForm.h"
#include "startup/MainWindowAccess.h"

#include <functional>
#include <memory>

namespace qv4130 {

// The main window as start-up reaches it: the MainForm is made, and so loaded,
// by whichever call touches it first.
class LazyMainWindow final : public MainWindowAccess {
public:
    using Factory = std::function<std::unique_ptr<MainForm>()>;

    explicit LazyMainWindow(Factory makeForm);
    ~LazyMainWindow() override;

    void DisablePortItem(PortMenuItem item) override;
    // Shows the window and runs the program's events until it is closed.
    void ShowModal() override;

    // The window once loaded, else nullptr.
    MainForm* Loaded() const { return form_.get(); }

private:
    MainForm& Form();

    Factory makeForm_;
    std::unique_ptr<MainForm> form_;
};

} // namespace qv4130
