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

// The mode windows' entry field. Its entry is checked when the operator leaves
// it for another control of the same window (Tab, a click, or Enter, which only
// sends the focus to an invisible target); merely switching to another
// application or a box leaves it alone. Typing is never filtered.
class CheckedEntryField final : public QLineEdit {
    Q_OBJECT

public:
    using Check = std::function<std::optional<entry::AcceptedEntry>(std::string_view)>;

    CheckedEntryField(Check check, MessageSink& messages, QWidget* parent);

    // Where the focus goes once an entry is finished or accepted.
    void SetFocusTarget(QWidget* target) { focusTarget_ = target; }

    // Finishes the entry: the focus goes to the target, and leaving the field
    // runs the check.
    void FinishEntry();

    // Accepted: the field shows the entry's display text, the focus goes to the
    // target and the value comes back. Rejected: a beep, the field emptied and
    // given the focus again, and nothing comes back.
    std::optional<std::int16_t> RunCheck();

    // True from a rejected check until the next accepted one. A click that
    // took the focus out of the field must not act on a rejected entry.
    bool LastCheckRejected() const { return lastCheckRejected_; }

signals:
    // A key typed in the field, as its character code (13 for Enter).
    void characterTyped(int code);
    // The focus moved from the field to another control of this window.
    void leftForAnotherControl();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    Check check_;
    MessageSink& messages_;
    QWidget* focusTarget_ = nullptr;
    bool lastCheckRejected_ = false;
};

} // namespace qv4130
