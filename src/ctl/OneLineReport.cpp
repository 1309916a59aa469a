#include "OneLineReport.h"

#include "startup/WindowsVersion.h"

#include <algorithm>

namespace qv4130::ctl {

namespace {

constexpr std::string_view LibraryPrefix = "parllio: ";

// The text without the restart advice start-up adds below a refused claim.
std::string WithoutRestart(std::string text) {
    if (const std::size_t at = text.find(ClaimRestartText); at != std::string::npos) {
        text.erase(at, std::string_view(ClaimRestartText).size());
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == ':')) {
        text.pop_back();
    }
    return text;
}

std::string Cause(std::string text) {
    return text.starts_with(LibraryPrefix) ? text.substr(LibraryPrefix.size()) : text;
}

} // namespace

Report OneLineReport::Held() {
    return [this](const std::string& text) {
        if (finished_) {
            say_(text);
        } else {
            held_.push_back(WithoutRestart(text));
        }
    };
}

Report OneLineReport::Failure() {
    return [this](const std::string& text) { SayFailure(text); };
}

Report OneLineReport::Mistake() {
    return [this](const std::string& text) {
        say_(text);
        said_ = true;
    };
}

void OneLineReport::SayFailure(const std::string& text, const std::string& wayOut) {
    const auto library = std::ranges::find_if(
        held_, [](const std::string& held) { return held.starts_with(LibraryPrefix); });
    const std::string cause = library != held_.end() ? Cause(*library) : std::string();
    const std::string said =
        cause.empty() || text.find(cause) != std::string::npos ? text : text + ": " + cause;
    say_(wayOut.empty() ? said : said + "; " + wayOut);
    said_ = true;
}

void OneLineReport::Finish(bool failed, const std::string& wayOut) {
    if (finished_) {
        return;
    }
    finished_ = true;
    if (said_) {
        return;
    }
    if (failed) {
        const std::string last = held_.empty() ? "no port to use" : held_.back();
        if (!held_.empty()) {
            held_.pop_back();
        }
        SayFailure(last, wayOut);
        return;
    }
    // A cause another held line already quotes is said by that line.
    for (std::size_t i = 0; i < held_.size(); ++i) {
        const std::string cause = Cause(held_[i]);
        const bool quoted = std::ranges::any_of(held_, [&](const std::string& other) {
            return &other != &held_[i] && other != held_[i] &&
                   other.find(cause) != std::string::npos;
        });
        const bool repeated =
            std::find(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(i), held_[i]) !=
            held_.begin() + static_cast<std::ptrdiff_t>(i);
        if (!quoted && !repeated) {
            say_(held_[i]);
        }
    }
}

} // namespace qv4130::ctl
