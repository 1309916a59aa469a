#include "board/DynamicPortLibrary.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <string>

namespace qv4130 {
namespace {

// The stand-in library's log of calls, read through the handle the binding already holds.
std::string LogOf(const char* path) {
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) {
        return "<not loaded>";
    }
    auto log = reinterpret_cast<const char* (*)()>(dlsym(handle, "ParllioTest_Log"));
    std::string text = log();
    reinterpret_cast<void (*)()>(dlsym(handle, "ParllioTest_ClearLog"))();
    dlclose(handle);
    return text;
}

bool IsLoaded(const char* path) {
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr) {
        dlclose(handle);
    }
    return handle != nullptr;
}

TEST(DynamicPortLibrary, LoadsAtTheFirstCallAndPassesEveryArgumentThrough) {
    {
        DynamicPortLibrary library(RECORDING_LIBRARY);
        EXPECT_FALSE(IsLoaded(RECORDING_LIBRARY)) << "nothing is loaded before the first call";

        EXPECT_EQ(library.GetParallelPortCount(), 2);
        EXPECT_TRUE(IsLoaded(RECORDING_LIBRARY));
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
    EXPECT_FALSE(IsLoaded(RECORDING_LIBRARY)) << "the binding releases the library when it goes";
}

TEST(DynamicPortLibrary, OneLoadServesEveryFunction) {
    DynamicPortLibrary library(RECORDING_LIBRARY);
    library.OutByte(888, 1);
    void* first = dlopen(RECORDING_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(first, nullptr);
    dlclose(first);
    library.InByte(888);
    library.GetParallelPortCount();
    // Only our binding's reference holds it: closing it once more unloads it.
    void* again = dlopen(RECORDING_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_EQ(again, first);
    dlclose(again);
    EXPECT_EQ(LogOf(RECORDING_LIBRARY), "out 888 1;in 888;count;");
}

TEST(DynamicPortLibrary, AMissingLibraryIsNamedWithTheLoadersReason) {
    DynamicPortLibrary library("libparllio-that-does-not-exist.so");
    try {
        library.InByte(890);
        FAIL() << "expected PortLibraryError";
    } catch (const PortLibraryError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("libparllio-that-does-not-exist.so"), std::string::npos) << message;
        EXPECT_NE(message.find("cannot open shared object file"), std::string::npos) << message;
    }
}

TEST(DynamicPortLibrary, AMissingFunctionFailsOnlyAtItsOwnFirstCall) {
    DynamicPortLibrary library(NO_OUTBYTE_LIBRARY);
    EXPECT_EQ(library.InByte(890), 0xA5);
    EXPECT_EQ(library.GetParallelPortCount(), 2);
    try {
        library.OutByte(888, 0x14);
        FAIL() << "expected PortLibraryError";
    } catch (const PortLibraryError& error) {
        EXPECT_NE(std::string(error.what()).find("OutByte"), std::string::npos) << error.what();
    }
    // The functions that exist keep working.
    EXPECT_EQ(library.InByte(888), 0xA5);
    EXPECT_EQ(LogOf(NO_OUTBYTE_LIBRARY), "in 890;count;in 888;");
}

} // namespace
} // namespace qv4130
