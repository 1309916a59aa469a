#pragma once

#include "host/AppIdentity.h"

#include <optional>
#include <string>

namespace qv4130 {

// The program's title; a message box given no title of its own carries it.
inline constexpr const char* ApplicationTitle = identity::Title;

enum class MessageIcon { None, Exclamation, Information, Critical };

// Modal message boxes (OK button only) and the system beep. The Qt implementation
// shows real boxes; tests record them, so no test ever blocks.
class MessageSink {
public:
    virtual ~MessageSink() = default;

    // Shows `text` and returns when the operator dismisses the box. Without a
    // title the box carries ApplicationTitle. A lone carriage return (code 13)
    // in the text breaks the line. A `detail` goes below the text, smaller: the
    // why and what to do, where the text itself is fixed.
    virtual void ShowMessage(const std::string& text, const std::optional<std::string>& title,
                             MessageIcon icon, const std::string& detail = {}) = 0;
    virtual void Beep() = 0;
};

} // namespace qv4130
