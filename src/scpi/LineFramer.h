#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv4130::scpi {

// Cuts a byte stream into newline-terminated lines (a CR before the newline is
// dropped), holding at most `maxLineBytes` of an unfinished line. A line that
// grows past that is reported once as overlong and its bytes are dropped up to
// its newline, so a client can't make us hold unbounded input.
class LineFramer {
public:
    explicit LineFramer(std::size_t maxLineBytes) : maxLineBytes_(maxLineBytes) {}

    // Calls onLine(std::string_view) for each complete line and onOverlong() for
    // each line too long to keep, in stream order.
    template <typename OnLine, typename OnOverlong>
    void Feed(std::string_view bytes, OnLine&& onLine, OnOverlong&& onOverlong);

    // Bytes of the unfinished line held now (a half line at disconnect is just dropped).
    std::size_t Pending() const { return pending_.size(); }

private:
    // Room for the line and the CR that may come before its newline.
    bool Fits(std::size_t bytes) const { return bytes <= maxLineBytes_ + 1; }
    static std::string_view WithoutCr(std::string_view line) {
        return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
    }

    std::size_t maxLineBytes_;
    std::string pending_;
    bool discarding_ = false;
};

template <typename OnLine, typename OnOverlong>
void LineFramer::Feed(std::string_view bytes, OnLine&& onLine, OnOverlong&& onOverlong) {
    while (!bytes.empty()) {
        const std::size_t newline = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, newline);
        bytes = newline == std::string_view::npos ? std::string_view{} : bytes.substr(newline + 1);
        const bool complete = newline != std::string_view::npos;

        if (discarding_) {
            discarding_ = !complete;
            continue;
        }
        if (!Fits(pending_.size() + piece.size())) {
            onOverlong();
            pending_.clear();
            discarding_ = !complete;
            continue;
        }
        if (!complete) {
            pending_.append(piece);
            continue;
        }
        // The common case, a whole line inside one read, goes without a copy.
        std::string_view line = piece;
        if (!pending_.empty()) {
            pending_.append(piece);
            line = pending_;
        }
        line = WithoutCr(line);
        if (line.size() > maxLineBytes_) {
            onOverlong();
        } else {
            onLine(line);
        }
        pending_.clear();
    }
}

} // namespace qv4130::scpi
