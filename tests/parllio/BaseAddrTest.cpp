#include "BaseAddr.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace parllio {
namespace {

TEST(ParseBaseAddr, TakesTheFirstDecimalFieldOnly) {
    struct Case {
        std::string text;
        std::optional<std::int32_t> base;
    };
    const Case cases[] = {
        {"888\t1912\n", 888},
        {"888\t1912", 888},
        {"632\n", 632},
        {"956", 956},
        {"53264\t53248\n", 0xD010},
        {"65535\t0\n", 0xFFFF},
        {"0\t0\n", 0},
        {"00888\t0", 888},
        // Not an I/O address.
        {"", std::nullopt},
        {"\n", std::nullopt},
        {"\t1912", std::nullopt}, // an empty first field
        {" 888\t1912", std::nullopt},
        {"65536\t0", std::nullopt},
        {"99999999999999999999\t0", std::nullopt},
        {"-888\t0", std::nullopt},
        {"+888", std::nullopt},
        {"0x378", std::nullopt},
        {"888abc", std::nullopt},
        {"888,1912", std::nullopt},
        {"garbage", std::nullopt},
        {std::string("888\0", 4), std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseBaseAddr(c.text), c.base) << '"' << c.text << '"';
    }
}

} // namespace
} // namespace parllio
