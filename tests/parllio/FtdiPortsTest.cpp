// The library with an FTDI adapter in bit-bang mode as its port: the program's
// bytes reach the adapter in order, in as few USB transfers as the program's
// own pauses allow, and what can go wrong is told once with what to do.
#include "FakeAdapters.h"
#include "ParallelPorts.h"
#include "PortBindings.h"
#include "board/BoardVocabulary.h"
#include "board/CommsFunctions.h"
#include "board/Declare.h"
#include "board/PortIo.h"
#include "support/FixedOsVersion.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingPortLibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace parllio {
namespace {

using namespace ::testing;
using namespace fakes;
using qv4130::test::PortCall;

// The library's core, called as the program calls libparllio.so.
struct CoreLibrary final : qv4130::PortLibrary {
    explicit CoreLibrary(ParallelPorts& ports) : ports(ports) {}
    std::int32_t GetParallelPortCount() override { return ports.Count(); }
    std::int32_t ClaimParallelPort(std::int32_t port, std::int32_t) override {
        return ports.Claim(port);
    }
    std::int32_t GetParallelPortInfo(std::int32_t port, ParallelPortInfo* info) override {
        return ports.Info(port, info);
    }
    std::int32_t InByte(std::int32_t address) override { return ports.In(address); }
    void OutByte(std::int32_t address, std::int32_t value) override { ports.Out(address, value); }
    ParallelPorts& ports;
};

// Start-up as on Windows 2000 with the main window's load (data lines to
// outputs, the chip powered up), then the test sweep and one Mode 1 write. The
// operator's pace leaves a pause before the sweep and after each of its words.
void RunProgram(qv4130::PortLibrary& library, const std::function<void()>& pause) {
    struct Window final : qv4130::MainWindowAccess {
        qv4130::PortLibrary& library;
        qv4130::SharedState& state;
        bool loaded = false;
        Window(qv4130::PortLibrary& l, qv4130::SharedState& s) : library(l), state(s) {}
        void DisablePortItem(qv4130::PortMenuItem) override { ShowModal(); }
        void ShowModal() override {
            const auto control = static_cast<std::uint16_t>(state.PortAddress + 2);
            if (!std::exchange(loaded, true)) {
                qv4130::PortOut(library, control,
                                qv4130::PortIn(library, control) & qv4130::ControlDirectionMask);
                qv4130::PortOut(library, state.PortAddress, qv4130::board_byte::PoweredUp);
            }
        }
    };
    qv4130::SharedState state;
    qv4130::test::RecordingMessageSink boxes;
    qv4130::test::FixedOsVersion windows2000({2, 5, 1});
    Window window(library, state);
    qv4130::StartupContext context{library, state, boxes, windows2000, window, "", ""};
    qv4130::Main(context);
    EXPECT_THAT(boxes.boxes, IsEmpty()) << "start-up found its port";
    for (std::int16_t channel = 0; channel <= qv4130::ChannelCount; ++channel) {
        pause();
        state.SelectedChannel = channel % qv4130::ChannelCount;
        state.DataValue = channel < qv4130::ChannelCount ? 3072 : 1234; // the sweep, then Mode 1
        qv4130::SendChannelCommand(library, state);
    }
}

// What the program writes to the data register at 888, in bursts: a burst ends
// at a read of any register and at a pause.
std::vector<Bytes> ExpectedBursts() {
    qv4130::test::RecordingPortLibrary recording;
    std::vector<Bytes> bursts;
    const auto pause = [&] {
        bursts.emplace_back();
        for (const PortCall& call : recording.Take()) {
            if (call.function == PortCall::Function::In) {
                bursts.emplace_back();
            } else if (call == qv4130::test::Out(888, call.second)) {
                bursts.back().push_back(static_cast<std::uint8_t>(call.second));
            }
        }
    };
    RunProgram(recording, pause);
    pause();
    std::erase_if(bursts, [](const Bytes& burst) { return burst.empty(); });
    return bursts;
}

class FtdiPortsTest : public Test {
protected:
    // Two looks of the flush thread with no write between them: the caller has gone idle.
    void Idle() {
        bindings.Flusher().Tick();
        bindings.Flusher().Tick();
    }

    FileKernel kernel; // no printer ports, no configuration: the one adapter is port 1
    FakeFtdi ftdi;
    PortBindings bindings{kernel, ftdi, {}, TickByHand};
    std::optional<ParallelPorts> ports{std::in_place, kernel, bindings};
};

TEST_F(FtdiPortsTest, TheWholeRunReachesTheAdapterAsTheProgramWritesItOneTransferPerBurst) {
    CoreLibrary library(*ports);
    RunProgram(library, [this] { Idle(); });
    EXPECT_EQ(ports->Release(1), 1);
    const std::vector<Bytes> expected = ExpectedBursts();
    ASSERT_EQ(expected.size(), 2 + 16 + 1) << "the two start-up bytes, the sweep, the Mode 1 word";
    EXPECT_EQ(ftdi.transfers, expected);
    // Bit-bang mode first: libftdi scales the rate only then, asking the chip for
    // four times it; an FT232R clocks a byte out every sixteen of those, and each
    // byte must stay at least 1 µs, as on a printer port.
    EXPECT_THAT(ftdi.calls, ElementsAre("open", "bitmode 255 1", StartsWith("baud "), "close"));
    EXPECT_LE(64 * std::stoi(ftdi.calls[2].substr(5)), 1'000'000);
    EXPECT_THAT(kernel.told, IsEmpty());
}

TEST_F(FtdiPortsTest, ABurstGoesOutAtAReadAtIdleAtReleaseAndWhenTheLibraryGoes) {
    const std::pair<const char*, std::function<void()>> ends[] = {
        {"status read", [this] { ports->In(889); }},
        {"control read", [this] { EXPECT_EQ(ports->In(890), 0x2C) << "its last write"; }},
        {"data read", [this] { EXPECT_EQ(ports->In(888), 0x16) << "the last byte written"; }},
        {"idle", [this] { Idle(); }},
        {"release", [this] { ports->Release(1); }},
        {"the library going", [this] { ports.reset(); }},
    };
    for (const auto& [end, action] : ends) {
        SCOPED_TRACE(end);
        ports.emplace(kernel, bindings);
        ftdi.transfers.clear();
        ports->Out(888, 0x12);
        ports->Out(890, 0x2C);
        bindings.Flusher().Tick(); // one look alone may fall inside a burst
        ports->Out(888, 0x16);
        EXPECT_THAT(ftdi.transfers, IsEmpty());
        action();
        EXPECT_THAT(ftdi.transfers, ElementsAre(Bytes{0x12, 0x16}));
    }
}

TEST(FtdiFlushThread, SendsEveryByteInOrderFullBuffersAtOnceTheRestSoonAfterTheLastWrite) {
    FileKernel kernel;
    FakeFtdi ftdi;
    PortBindings bindings(kernel, ftdi, {}); // the real flush thread
    ParallelPorts ports(kernel, bindings);
    Bytes written;
    for (const int size : {10'000, 4, 4}) { // it sleeps between bursts and wakes again
        for (int i = 0; i < size; ++i) {
            written.push_back(static_cast<std::uint8_t>(written.size() * 7));
            ports.Out(888, written.back());
        }
        for (int wait = 0; wait < 10'000 && ftdi.Received() != written; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_EQ(ftdi.Received(), written);
    }
    EXPECT_GE(ftdi.transfers.size(), 4u) << "a full buffer went out on its own";
}

TEST(FtdiFailures, EachSaysWhatToDoOnceAndIsNotRetriedByEveryByte) {
    const std::pair<std::function<void(FileKernel&, FakeFtdi&)>, const char*> cases[] = {
        {[](FileKernel& k, FakeFtdi&) { k.files["/etc/parllio.conf"] = "LPT1 = ftdi:0403:6001"; },
         "no adapter ftdi:0403:6001 (LPT1) is plugged in"},
        {[](FileKernel&, FakeFtdi& f) { f.plugged[0].accessible = false, f.openResult = -4; },
         "no permission to use the FTDI adapter 0403:6014 (serial FT4ABC12)"},
        {[](FileKernel&, FakeFtdi& f) { f.openResult = -5; }, "another program has it"},
        {[](FileKernel&, FakeFtdi& f) { f.bitModeResult = -1; }, "into bit-bang mode"},
        {[](FileKernel&, FakeFtdi& f) {
             f.plugged.push_back({0x0403, 0x6001, 1, 6, "A", true});
         },
         "2 FTDI adapters are plugged in: say which is LPT1"},
    };
    for (const auto& [arrange, told] : cases) {
        SCOPED_TRACE(told);
        FileKernel kernel;
        FakeFtdi ftdi;
        arrange(kernel, ftdi);
        PortBindings bindings(kernel, ftdi, {{"/etc/parllio.conf", false}}, TickByHand);
        ParallelPorts ports(kernel, bindings);
        EXPECT_EQ(ports.Claim(1), 0);
        ports.Out(888, 0x14);
        EXPECT_EQ(ports.In(888), 0xFF);
        EXPECT_EQ(ports.Claim(1), 0);
        EXPECT_THAT(kernel.told, Contains(HasSubstr(told)).Times(1));
        EXPECT_EQ(std::ranges::count(ftdi.calls, "bitmode 255 1"),
                  std::ranges::count(ftdi.calls, "close"))
            << "an adapter opened is closed again";
    }
}

} // namespace
} // namespace parllio
