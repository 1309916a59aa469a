#include "board/DynamicPortLibrary.h"
#include "support/RecordingMessageSink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sstream>
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
    std::vector<std::string> handled;
    const auto handler = [&](const PortLibraryError& error) { handled.push_back(error.what()); };
    DynamicPortLibrary missing("libparllio-that-does-not-exist.so", handler);
    EXPECT_THAT([&] { missing.InByte(890); }, ThrowsMessage<PortLibraryError>(AllOf(
                                                  HasSubstr("libparllio-that-does-not-exist.so"),
                                                  HasSubstr("cannot open shared object file"))));
    ASSERT_EQ(handled.size(), 1u) << "the handler sees the failure before it goes on";

    DynamicPortLibrary library(NO_OUTBYTE_LIBRARY, handler);
    EXPECT_EQ(library.InByte(890), 0xA5);
    EXPECT_EQ(library.GetParallelPortCount(), 2);
    EXPECT_THAT([&] { library.OutByte(888, 0x14); },
                ThrowsMessage<PortLibraryError>(HasSubstr("OutByte")));
    EXPECT_EQ(library.InByte(888), 0xA5) << "the functions that exist keep working";
    EXPECT_EQ(LogOf(NO_OUTBYTE_LIBRARY), "in 890;count;in 888;");
    EXPECT_EQ(handled.size(), 2u);
}

TEST(DynamicPortLibrary, TheFailureGoesToStandardErrorFirstThenToACriticalBox) {
    testing::RecordingMessageSink messages;
    std::ostringstream errors;
    std::string printedBeforeBox;
    messages.onShow = [&](const testing::ShownMessage&) { printedBeforeBox = errors.str(); };

    ReportPortLibraryFailure(PortLibraryError("no libparllio.so"), messages, errors);

    EXPECT_EQ(printedBeforeBox, "qv4130: no libparllio.so\n");
    EXPECT_EQ(messages.boxes, (std::vector<testing::ShownMessage>{
                                  {"The printer port can't be used: no libparllio.so", "QV4130",
                                   MessageIcon::Critical}}));
}

} // namespace
} // namespace qv4130
