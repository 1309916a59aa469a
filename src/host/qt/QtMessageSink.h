#pragma once

#include "host/MessageSink.h"

#include <QString>

#include <string>

namespace qv4130 {

// The text as a box shows it: a carriage return on its own (code 13 with no line
// feed after it) has always broken the line, so it becomes one here.
QString MessageBoxText(const std::string& text);

// Real modal message boxes with an OK button, and the system beep.
class QtMessageSink final : public MessageSink {
public:
    void ShowMessage(const std::string& text, const std::optional<std::string>& title,
                     MessageIcon icon) override;
    void Beep() override;
};

} // namespace qv4130
