#include "LazyMainWindow.h"

#include <QEventLoop>

#include <utility>

namespace qv4130 {

LazyMainWindow::LazyMainWindow(PortLibrary& library, SharedState& state, MessageSink& messages,
                               ChildWindows children, MainFormHooks hooks)
    : library_(library), state_(state), messages_(messages), children_(std::move(children)),
      hooks_(std::move(hooks)) {}

LazyMainWindow::~LazyMainWindow() = default;

MainForm& LazyMainWindow::Form() {
    if (!form_) {
        form_ = std::make_unique<MainForm>(library_, state_, messages_, children_, hooks_);
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
    form.setWindowModality(Qt::ApplicationModal);
    form.show();
    loop.exec();
}

} // namespace qv4130
