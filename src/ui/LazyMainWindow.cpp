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
    form.setWindowModality(Qt::ApplicationModal);
    form.show();
    loop.exec();
}

} // namespace qv4130
