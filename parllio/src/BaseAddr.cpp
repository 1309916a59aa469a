#include "BaseAddr.h"

#include "qv4130/PlainText.h"

namespace parllio {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr std::int32_t HighestIoAddress = 0xFFFF;

} // namespace

std::optional<std::int32_t> ParseBaseAddr(std::string_view text) {
    std::size_t at = 0;
    std::int32_t value = 0;
    while (at < text.size() && IsDigit(text[at])) {
        value = value * 10 + (text[at] - '0');
        if (value > HighestIoAddress) {
            return std::nullopt; // checked per digit, so a long field cannot overflow
        }
        ++at;
    }
    if (at == 0) {
        return std::nullopt;
    }
    if (at < text.size() && !qv4130::text::IsSpaceOrLineEnd(text[at])) {
        return std::nullopt;
    }
    return value;
}

} // namespace parllio
