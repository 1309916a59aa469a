#pragma once

#include "board/MainWindowAccess.h"
#include "host/OsVersion.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingPortLibrary.h"

#include <cstddef>
#include <ostream>
#include <variant>
#include <vector>

namespace qv4130::testing {

// Something the main window went through, as start-up caused it.
struct WindowEvent {
    enum class Kind { Load, Disable, Show };
    Kind kind;
    PortMenuItem item = PortMenuItem::Lpt1; // for Disable

    bool operator==(const WindowEvent&) const = default;
};

inline WindowEvent Load() {
    return {WindowEvent::Kind::Load};
}
inline WindowEvent Disable(PortMenuItem item) {
    return {WindowEvent::Kind::Disable, item};
}
inline WindowEvent Show() {
    return {WindowEvent::Kind::Show};
}

inline void PrintTo(const WindowEvent& event, std::ostream* os) {
    static const char* const kinds[] = {"window load", "disable", "show modal"};
    static const char* const items[] = {"MnuLPT1", "MnuLPT2", "MnuPRN"};
    *os << kinds[static_cast<int>(event.kind)];
    if (event.kind == WindowEvent::Kind::Disable) {
        *os << " " << items[static_cast<int>(event.item)];
    }
}

using Event = std::variant<PortCall, ShownMessage, WindowEvent>;

// One record of port calls, boxes and window events in the order they happened.
// Port calls are taken from the recording library whenever something else happens.
class Timeline {
public:
    Timeline(RecordingPortLibrary& port, RecordingMessageSink& messages) : port_(port) {
        messages.onShow = [this](const ShownMessage& box) { Note(box); };
    }

    void Note(const Event& event) {
        TakePortCalls();
        events_.push_back(event);
    }

    std::vector<Event> Events() {
        TakePortCalls();
        return events_;
    }

private:
    void TakePortCalls() {
        for (; taken_ < port_.calls.size(); ++taken_) {
            events_.push_back(port_.calls[taken_]);
        }
    }

    RecordingPortLibrary& port_;
    std::vector<Event> events_;
    std::size_t taken_ = 0;
};

// A host that reports the version it is given.
class FixedOsVersion final : public OsVersionSource {
public:
    explicit FixedOsVersion(OsVersionInfo version) : version_(version) {}
    OsVersionInfo Query() override { return version_; }

private:
    OsVersionInfo version_;
};

// A main window that only notes what happens to it: loaded at its first touch.
class RecordingMainWindow final : public MainWindowAccess {
public:
    explicit RecordingMainWindow(Timeline& timeline) : timeline_(timeline) {}

    void DisablePortItem(PortMenuItem item) override {
        Touch();
        timeline_.Note(Disable(item));
    }
    void ShowModal() override {
        Touch();
        timeline_.Note(Show());
    }

private:
    void Touch() {
        if (!loaded_) {
            loaded_ = true;
            timeline_.Note(Load());
        }
    }

    Timeline& timeline_;
    bool loaded_ = false;
};

// Version records of the systems start-up tells apart.
inline constexpr OsVersionInfo Windows95{1, 4, 0};
inline constexpr OsVersionInfo Windows98{1, 4, 10};
inline constexpr OsVersionInfo WindowsNt4{2, 4, 0};
inline constexpr OsVersionInfo WindowsXp{2, 5, 1};
inline constexpr OsVersionInfo Windows10{2, 10, 0};

} // namespace qv4130::testing
