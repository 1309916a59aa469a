#include "CheckedEntryField.h"

#include "host/MessageSink.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

#include <limits>
#include <utility>

namespace qv4130 {

namespace {
// Focus that leaves because the whole window lost activation (another
// application, a message box) or a popup opened is not the operator leaving
// the field.
bool IsWindowLevelReason(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
           reason == Qt::NoFocusReason;
}
} // namespace

CheckedEntryField::CheckedEntryField(Checker check, MessageSink& messages, QWidget* parent)
    : QLineEdit(parent), check_(std::move(check)), messages_(messages) {
    // Any length of text is taken in; the check decides what it means.
    setMaxLength(std::numeric_limits<int>::max());
}

void CheckedEntryField::SendFocusToTarget() {
    if (focusTarget_ != nullptr) {
        focusTarget_->setFocus(Qt::OtherFocusReason);
    }
}

void CheckedEntryField::RunCheck() {
    const auto entry = check_(text().toStdString());
    if (!entry) {
        messages_.Beep();
        setText(QString());
        setFocus(Qt::OtherFocusReason);
        emit rejected();
        return;
    }
    setText(QString::fromStdString(entry->display));
    SendFocusToTarget();
    emit accepted(entry->value);
}

void CheckedEntryField::keyPressEvent(QKeyEvent* event) {
    // Enter only finishes the entry: leaving the field checks it. It never
    // reaches the dialog, which would press a default button and send a word
    // nobody asked for.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        SendFocusToTarget();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CheckedEntryField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (IsWindowLevelReason(event->reason())) {
        return;
    }
    // During the change the application already names the new focus widget.
    const QWidget* next = QApplication::focusWidget();
    if (next != nullptr && next != this && next->window() == window()) {
        RunCheck();
    }
}

} // namespace qv4130
