#pragma once

#include "host/MessageSink.h"

#include <string>

namespace qv4130 {

// Real modal message boxes with an OK button, and the system beep.
class QtMessageSink final : public MessageSink {
public:
    void ShowMessage(const std::string& text, const std::optional<std::string>& title,
                     MessageIcon icon, const std::string& detail) override;
    void Beep() override;
};

} // namespace qv4130
