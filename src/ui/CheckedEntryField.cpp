#include "CheckedEntryField.h"

#include "host/MessageSink.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

#include <utility>

namespace qv4130 {

namespace {
constexpr int EnterCode = 13;

// Focus that leaves because the whole window lost activation (another
// application, a message box) or a popup opened is not the operator leaving
// the field.
bool IsWindowLevelReason(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
           reason == Qt::NoFocusReason;
}
} // namespace

CheckedEntryField::CheckedEntryField(Check check, MessageSink& messages, QWidget* parent)
    : QLineEdit(parent), check_(std::move(check)), messages_(messages) {}

void CheckedEntryField::FinishEntry() {
    if (focusTarget_ != nullptr) {
        focusTarget_->setFocus(Qt::OtherFocusReason);
    }
}

std::optional<std::int16_t> CheckedEntryField::RunCheck() {
    const auto accepted = check_(text().toStdString());
    lastCheckRejected_ = !accepted;
    if (!accepted) {
        messages_.Beep();
        setText(QString());
        setFocus(Qt::OtherFocusReason);
        return std::nullopt;
    }
    setText(QString::fromStdString(accepted->display));
    FinishEntry();
    return accepted->value;
}

void CheckedEntryField::keyPressEvent(QKeyEvent* event) {
    // Enter never reaches the dialog, which would press a default button and
    // send a word nobody asked for.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit characterTyped(EnterCode);
        return;
    }
    const QString typed = event->text();
    if (!typed.isEmpty()) {
        emit characterTyped(typed.front().unicode());
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
        emit leftForAnotherControl();
    }
}

} // namespace qv4130
