// The operator at the built program's screen, for tests that run it as a process:
// a Qt generic plugin (QT_QPA_GENERIC_PLUGINS=qv4130-operator) that answers every
// message box with OK, writing on standard error what it showed, closes any
// other modal window, and closes the main window as soon as it is up.
#include <QAbstractButton>
#include <QApplication>
#include <QGenericPlugin>
#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

namespace {

void Act() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        static const char* const icons[] = {"none", "information", "warning", "critical",
                                            "question"};
        std::fprintf(stderr, "box \"%s\", %s%s: %s\n", qPrintable(box->windowTitle()),
                     icons[box->icon()], box->textFormat() == Qt::PlainText ? "" : ", not plain",
                     qPrintable(box->text()));
        if (!box->informativeText().isEmpty()) {
            std::fprintf(stderr, "below: %s\n", qPrintable(box->informativeText()));
        }
        box->button(QMessageBox::Ok)->click();
    } else if (modal != nullptr) {
        modal->close();
    } else {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMainWindow*>(window) != nullptr && window->isVisible()) {
                window->close();
            }
        }
    }
}

} // namespace

class Operator final : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "Operator.json")

public:
    // The application keeps what this returns and deletes it when it ends.
    QObject* create(const QString&, const QString&) override {
        auto* looks = new QTimer;
        connect(looks, &QTimer::timeout, &Act);
        looks->start(10);
        return looks;
    }
};

#include "Operator.moc"
