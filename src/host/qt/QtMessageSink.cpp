#include "QtMessageSink.h"

#include <QApplication>
#include <QMessageBox>

namespace qv4130 {

namespace {
QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The text as a box shows it: a carriage return on its own (code 13 with no line
// feed after it) has always broken the line, so it becomes one here.
QString MessageBoxText(const std::string& text) {
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}
} // namespace

void QtMessageSink::ShowMessage(const std::string& text, const std::optional<std::string>& title,
                                MessageIcon icon, const std::string& detail) {
    const std::string caption = title.value_or(ApplicationTitle);
    QMessageBox box(BoxIcon(icon),
                    QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                    MessageBoxText(text), QMessageBox::Ok, QApplication::activeWindow());
    // Plain text: a "<" in a library's error message must not start markup.
    box.setTextFormat(Qt::PlainText);
    if (!detail.empty()) {
        box.setInformativeText(MessageBoxText(detail));
    }
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void QtMessageSink::Beep() {
    QApplication::beep();
}

} // namespace qv4130
