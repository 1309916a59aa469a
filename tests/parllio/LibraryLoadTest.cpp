#include "board/DynamicPortLibrary.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string FileBytes(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The built library, loaded as the program loads it.
TEST(BuiltLibrary, AnAddressOfNoPrinterPortReadsFloatingAndIsToldOnce) {
    qv4130::DynamicPortLibrary library(PARLLIO_LIBRARY);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(library.InByte(0x2F8), 0xFF); // a serial port's registers, never a printer's
    library.OutByte(0x2F8, 0x55);
    EXPECT_EQ(library.InByte(0x2F8), 0xFF);
    const std::string told = ::testing::internal::GetCapturedStderr();
    const std::string line = "parllio: no printer port at I/O address 0x02F8 (760)";
    ASSERT_NE(told.find(line), std::string::npos) << told;
    EXPECT_EQ(told.find(line), told.rfind(line)) << told;
}

TEST(BuiltLibrary, ReachesThePortsOnlyThroughTheKernelsDriver) {
    // Raw port access would need ioperm or iopl; the library must not even import them.
    const std::string bytes = FileBytes(PARLLIO_LIBRARY);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.find(std::string("\0ioperm\0", 8)), std::string::npos);
    EXPECT_EQ(bytes.find(std::string("\0iopl\0", 6)), std::string::npos);
    EXPECT_NE(bytes.find(std::string("\0ioctl\0", 7)), std::string::npos);
}

} // namespace
