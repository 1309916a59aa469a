#include "board/DynamicPortLibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <string>

namespace qv4130 {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

constexpr const char* NotLoaded = "<not loaded>";

// The stand-in library's log of calls, read through the handle the binding already holds.
std::string LogOf(const char* path) {
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) {
        return NotLoaded;
    }
    std::string text = reinterpret_cast<const char* (*)()>(dlsym(handle, "ParllioTest_Log"))();
    dlclose(handle);
    return text;
}

TEST(DynamicPortLibrary, LoadsOnceAtTheFirstCallAndPassesEveryArgumentThrough) {
    {
        DynamicPortLibrary library(RECORDING_LIBRARY);
        EXPECT_EQ(LogOf(RECORDING_LIBRARY), NotLoaded) << "nothing is loaded before the first call";
        EXPECT_EQ(library.GetParallelPortCount(), 2);
        EXPECT_EQ(library.ClaimParallelPort(1, -1) & 0xFFFF, 0);
        ParallelPortInfo info{12, 0, 0};
        EXPECT_EQ(library.GetParallelPortInfo(1, &info), 1);
        EXPECT_EQ(info.base_address, 0x378);
        EXPECT_EQ(library.InByte(890), 0xA5);
        library.OutByte(888, -1);
        library.OutByte(888, 0x14);
        EXPECT_EQ(LogOf(RECORDING_LIBRARY),
                  "count;claim 1 -1;info 1 12;in 890;out 888 -1;out 888 20;");
    }
    // A load per function would leave references behind that keep it loaded.
    EXPECT_EQ(LogOf(RECORDING_LIBRARY), NotLoaded)
        << "the binding releases the library when it goes";
}

TEST(DynamicPortLibrary, AMissingLibraryOrFunctionIsNamedAtItsOwnFirstCall) {
    DynamicPortLibrary missing("libparllio-that-does-not-exist.so");
    EXPECT_THAT([&] { missing.InByte(890); }, ThrowsMessage<PortLibraryError>(AllOf(
                                                  HasSubstr("libparllio-that-does-not-exist.so"),
                                                  HasSubstr("cannot open shared object file"))));

    DynamicPortLibrary library(NO_OUTBYTE_LIBRARY);
    EXPECT_EQ(library.InByte(890), 0xA5);
    EXPECT_EQ(library.GetParallelPortCount(), 2);
    EXPECT_THAT([&] { library.OutByte(888, 0x14); },
                ThrowsMessage<PortLibraryError>(HasSubstr("OutByte")));
    EXPECT_EQ(library.InByte(888), 0xA5) << "the functions that exist keep working";
    EXPECT_EQ(LogOf(NO_OUTBYTE_LIBRARY), "in 890;count;in 888;");
}

} // namespace
} // namespace qv4130
