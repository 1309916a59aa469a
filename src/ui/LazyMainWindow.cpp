#include "LazyMainWindow.h"

#include <QEventLoop>

#include <utility>

namespace qv4130 {

LazyMainWindow::LazyMainWindow(Factory makeForm) : makeForm_(std::move(makeForm)) {}

LazyMainWindow::~LazyMainWindow() = default;

MainForm& LazyMainWindow::Form() {
    if (!form_) {
        form_ = makeForm_();
    }
    return *form_;
}

void LazyMainWindow::DisablePortItem(PortMenuItem item) {
    Form().DisablePortItem(item);
}

void LazyMainWindow::ShowModal() {
    MainForm& form = Form();
    QEventLoop loop;
    QObject::connect(&form, &MainForm::closed, &loop, &QEventLoop::quit);
    // Start-up waits here until the window closes, but the window blocks no
    // other: the virtual board's panel and the Characterise window beside it
    // take their own input. Only the windows it opens block it (window-modal).
    form.show();
    loop.exec();
}

} // namespace qv4130
