#include "board/GuardedPortLibrary.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingPortLibrary.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace qv4130 {
namespace {

using testing::In;
using testing::Out;
using testing::PortCall;
using testing::RecordingMessageSink;
using testing::RecordingPortLibrary;
using testing::ShownMessage;

// A library whose every function is missing.
class MissingLibrary final : public PortLibrary {
public:
    std::int32_t GetParallelPortCount() override { return Fail("GetParallelPortCount"); }
    std::int32_t ClaimParallelPort(std::int32_t, std::int32_t) override {
        return Fail("ClaimParallelPort");
    }
    std::int32_t GetParallelPortInfo(std::int32_t, ParallelPortInfo*) override {
        return Fail("GetParallelPortInfo");
    }
    std::int32_t InByte(std::int32_t) override { return Fail("InByte"); }
    void OutByte(std::int32_t, std::int32_t) override { Fail("OutByte"); }

private:
    static std::int32_t Fail(const char* function) {
        throw PortLibraryError(std::string("the port library libparllio.so has no function ") +
                               function + ": undefined symbol");
    }
};

TEST(GuardedPortLibrary, PassesCallsAndAnswersThroughUnchanged) {
    RecordingPortLibrary port;
    port.registers[890] = 0xAB;
    int failures = 0;
    GuardedPortLibrary guarded(port, [&](const PortLibraryError&) { ++failures; });
    ParallelPortInfo info{12, 0, 0};
    EXPECT_EQ(guarded.GetParallelPortCount(), 1);
    EXPECT_EQ(guarded.ClaimParallelPort(1, -1), 1);
    EXPECT_EQ(guarded.GetParallelPortInfo(1, &info), 1);
    EXPECT_EQ(info.base_address, 888);
    EXPECT_EQ(guarded.InByte(890), 0xAB);
    guarded.OutByte(888, 0x14);
    EXPECT_EQ(port.calls, (std::vector<PortCall>{testing::Count(), testing::Claim(1, -1),
                                                 testing::Info(1), In(890), Out(888, 0x14)}));
    EXPECT_EQ(failures, 0);
}

TEST(GuardedPortLibrary, EveryFunctionHandsAMissingLibraryToTheHandlerFirst) {
    MissingLibrary missing;
    std::vector<std::string> reported;
    GuardedPortLibrary guarded(
        missing, [&](const PortLibraryError& error) { reported.push_back(error.what()); });
    ParallelPortInfo info{12, 0, 0};
    const std::vector<std::pair<const char*, std::function<void()>>> calls = {
        {"GetParallelPortCount", [&] { guarded.GetParallelPortCount(); }},
        {"ClaimParallelPort", [&] { guarded.ClaimParallelPort(1, -1); }},
        {"GetParallelPortInfo", [&] { guarded.GetParallelPortInfo(1, &info); }},
        {"InByte", [&] { guarded.InByte(890); }},
        {"OutByte", [&] { guarded.OutByte(888, 6); }},
    };
    for (const auto& [function, call] : calls) {
        reported.clear();
        // A handler that returns doesn't swallow the error.
        EXPECT_THROW(call(), PortLibraryError) << function;
        ASSERT_EQ(reported.size(), 1u) << function;
        EXPECT_NE(reported[0].find(function), std::string::npos) << reported[0];
    }
}

TEST(GuardedPortLibrary, TheFailureGoesToStandardErrorAndACriticalBox) {
    RecordingMessageSink messages;
    std::ostringstream errors;
    int boxesWhenPrinted = -1;
    const PortLibraryError error("cannot load the port library libparllio.so: libparllio.so: "
                                 "cannot open shared object file");
    messages.onShow = [&](const ShownMessage&) { boxesWhenPrinted = errors.str().empty() ? 0 : 1; };

    ReportPortLibraryFailure(error, messages, errors);

    EXPECT_EQ(errors.str(), std::string("qv4130: ") + error.what() + "\n");
    EXPECT_EQ(boxesWhenPrinted, 1) << "standard error is written before the box goes up";
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].title, "QV4130");
    EXPECT_EQ(messages.boxes[0].icon, MessageIcon::Critical);
    EXPECT_NE(messages.boxes[0].text.find("libparllio.so"), std::string::npos);
    EXPECT_NE(messages.boxes[0].text.find("cannot open shared object file"), std::string::npos);
}

} // namespace
} // namespace qv4130
