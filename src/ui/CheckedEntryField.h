#pragma once

#include "ui/entry/EntryCheck.h"

#include <QLineEdit>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

class QWidget;

namespace qv4130 {

class MessageSink;

// The mode windows' entry field. It finishes an entry on Enter by sending the
// focus to an invisible target, and checks the entry whenever the operator leaves
// the field for another control of the same window (Enter, Tab, a click); merely
// switching to another application or a box leaves it alone. Typing is never
// filtered. The window only hears the outcome.
class CheckedEntryField final : public QLineEdit {
    Q_OBJECT

public:
    using Checker = std::function<std::optional<entry::AcceptedEntry>(std::string_view)>;

    CheckedEntryField(Checker check, MessageSink& messages, QWidget* parent);

    // Where the focus goes once an entry is finished or accepted.
    void SetFocusTarget(QWidget* target) { focusTarget_ = target; }

    // Accepted: the field shows the entry's display text, the focus goes to the
    // target, then accepted(). Rejected: a beep, the field emptied and given the
    // focus again, then rejected().
    void RunCheck();

signals:
    void accepted(std::int16_t value);
    void rejected();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void SendFocusToTarget();

    Checker check_;
    MessageSink& messages_;
    QWidget* focusTarget_ = nullptr;
};

} // namespace qv4130
