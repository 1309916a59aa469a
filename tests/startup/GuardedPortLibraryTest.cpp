#include "board/GuardedPortLibrary.h"
#include "support/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <sstream>

namespace qv4130 {
namespace {

using namespace testing;

// A library that lacks every function but the port count.
struct MissingFunctions final : PortLibrary {
    std::int32_t GetParallelPortCount() override { return 1; }
    std::int32_t ClaimParallelPort(std::int32_t, std::int32_t) override { throw Missing(); }
    std::int32_t GetParallelPortInfo(std::int32_t, ParallelPortInfo*) override { throw Missing(); }
    std::int32_t InByte(std::int32_t) override { throw Missing(); }
    void OutByte(std::int32_t, std::int32_t) override { throw Missing(); }
    static PortLibraryError Missing() { return PortLibraryError("no such function"); }
};

TEST(GuardedPortLibrary, EveryFailureReachesTheHandlerBeforeGoingOn) {
    MissingFunctions missing;
    int failures = 0;
    GuardedPortLibrary guarded(missing, [&](const PortLibraryError&) { ++failures; });
    ParallelPortInfo info{12, 0, 0};
    EXPECT_EQ(guarded.GetParallelPortCount(), 1);
    EXPECT_EQ(failures, 0);
    // A handler that returns does not swallow the error.
    EXPECT_THROW(guarded.ClaimParallelPort(1, -1), PortLibraryError);
    EXPECT_THROW(guarded.GetParallelPortInfo(1, &info), PortLibraryError);
    EXPECT_THROW(guarded.InByte(890), PortLibraryError);
    EXPECT_THROW(guarded.OutByte(888, 6), PortLibraryError);
    EXPECT_EQ(failures, 4);
}

TEST(GuardedPortLibrary, TheFailureGoesToStandardErrorFirstThenToACriticalBox) {
    RecordingMessageSink messages;
    std::ostringstream errors;
    std::string printedBeforeBox;
    messages.onShow = [&](const ShownMessage&) { printedBeforeBox = errors.str(); };

    ReportPortLibraryFailure(PortLibraryError("no libparllio.so"), messages, errors);

    EXPECT_EQ(printedBeforeBox, "qv4130: no libparllio.so\n");
    EXPECT_EQ(messages.boxes,
              (std::vector<ShownMessage>{{"The printer port can't be used: no libparllio.so",
                                          "QV4130", MessageIcon::Critical}}));
}

} // namespace
} // namespace qv4130
