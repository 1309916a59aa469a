#pragma once

#include "host/MessageSink.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace qv4130::test {

// One box as the operator would have seen it: the title is already resolved
// (a box with no title of its own shows the application title).
struct ShownMessage {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
    std::string detail{}; // the further text below, if any

    bool operator==(const ShownMessage&) const = default;
};

inline void PrintTo(const ShownMessage& box, std::ostream* os) {
    *os << "box{\"" << box.text << "\", \"" << box.title << "\", icon "
        << static_cast<int>(box.icon) << (box.detail.empty() ? "" : ", \"" + box.detail + "\"")
        << "}";
}

// Records every box and beep instead of showing them. `onShow` lets a test act
// while a box would be up (for example, look at what the port holds then).
class RecordingMessageSink final : public MessageSink {
public:
    void ShowMessage(const std::string& text, const std::optional<std::string>& title,
                     MessageIcon icon, const std::string& detail) override {
        boxes.push_back({text, title.value_or(ApplicationTitle), icon, detail});
        if (onShow) {
            onShow(boxes.back());
        }
    }
    void Beep() override { ++beeps; }

    std::vector<ShownMessage> boxes;
    int beeps = 0;
    std::function<void(const ShownMessage&)> onShow;
};

} // namespace qv4130::test
