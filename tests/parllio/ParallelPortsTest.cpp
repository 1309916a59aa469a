#include "ParallelPorts.h"
#include "FakeAdapters.h"
#include "Patience.h"
#include "PortBindings.h"
#include "board/DynamicPortLibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <linux/ppdev.h>
#include <pthread.h>
#include <utility>

namespace parllio {
namespace {

using namespace ::testing;
using namespace ::testing::internal; // CaptureStderr
using namespace std::literals;
using namespace fakes;

class ParallelPortsTest : public ::testing::Test {
protected:
    // Ports at the three PC addresses and one on a PCIe card, high in the I/O space.
    void FourPorts() {
        for (const char* base : {"888\t1912\n", "632\t1656\n", "956\t0\n", "53264\t53248\n"}) {
            kernel.ports[static_cast<int>(kernel.ports.size())].baseAddr = base;
        }
    }

    FakeKernel kernel;
    std::optional<ParallelPorts> ports{std::in_place, kernel};
};

// Whatever stops the claim, of a printer port or of a USB adapter, is told once
// with what to do, and the I/O that follows is dropped without a try per byte.
TEST(FailedClaims, EachSaysWhatToDoOnceAndIsNotRetriedByEveryByte) {
    using Arrange = void (*)(FakeKernel&, FakeFtdi&);
    // How the claim fails, and what is told (and so what the program's box says). A
    // port held elsewhere is the real-kernel tier's "held" case.
    const std::pair<Arrange, const char*> cases[] = {
        {[](FakeKernel&, FakeFtdi& f) { f.plugged.clear(); }, // no port, no adapter
         "No such file or directory (the kernel has no port parport0;"},
        {[](FakeKernel& k, FakeFtdi&) { k.ports[0].openError = ENXIO; },
         "No such device or address (the kernel has no such port: see /proc/sys/dev/parport)"},
        {[](FakeKernel& k, FakeFtdi&) { k.files["/etc/parllio.conf"] = "LPT1 = ftdi:0403:6001"; },
         "no adapter ftdi:0403:6001 (LPT1) is plugged in"},
        {[](FakeKernel&, FakeFtdi& f) { f.plugged[0].accessible = false, f.openResult = -4; },
         "no permission to use the FTDI adapter 0403:6014 (serial FT4ABC12)"},
        {[](FakeKernel&, FakeFtdi& f) { f.openResult = -5; }, "another program has it"},
        {[](FakeKernel&, FakeFtdi& f) { f.bitModeResult = -1; }, "into bit-bang mode"},
        {[](FakeKernel&, FakeFtdi& f) {
             f.plugged.push_back({0x0403, 0x6001, 1, 6, "A", true});
         },
         "2 FTDI adapters are plugged in: say which is LPT1"},
    };
    for (const auto& [arrange, told] : cases) {
        SCOPED_TRACE(told);
        FakeKernel kernel;
        FakeFtdi ftdi;
        arrange(kernel, ftdi);
        PortBindings bindings(kernel, ftdi, {{"/etc/parllio.conf", false}}, TickByHand);
        ParallelPorts ports(kernel, bindings);
        EXPECT_EQ(ports.Claim(1), 0);
        EXPECT_THAT("parllio: " + ports.LastError(), HasSubstr(told));
        kernel.Take();
        EXPECT_EQ(ports.In(888), 0xFF) << "nothing to read from: a floating bus";
        ports.Out(888, 0x14);
        EXPECT_THAT(kernel.Take(), IsEmpty()) << "no claim, and no wait for one, per byte";
        EXPECT_EQ(ports.Claim(1), 0);
        EXPECT_THAT(kernel.told, Contains(HasSubstr(told)).Times(1));
        // The dropped I/O said once, naming the port (or that there is none).
        const char* dropped = ports.Count() > 0 ? "port 1 was not claimed" : "no printer port at";
        EXPECT_THAT(kernel.told, Contains(HasSubstr(dropped)).Times(1));
        EXPECT_THAT(kernel.open, IsEmpty());
        EXPECT_EQ(ftdi.opened, ftdi.closed) << "an adapter opened is closed again";
    }
}

TEST_F(ParallelPortsTest, AnExplicitClaimTriesAgain) {
    kernel.ports[0].busy = true;
    EXPECT_EQ(ports->Claim(1), 0);
    kernel.ports[0].busy = false;
    EXPECT_EQ(ports->Claim(1), 1);
}

TEST_F(ParallelPortsTest, EachAddressReachesItsPortsRegisterOrIsDroppedAndToldOnce) {
    FourPorts();
    kernel.ports[4].baseAddr = "0\t0\n"; // a USB adapter: no I/O address
    for (int port : {1, 3, 4}) {         // fds 3, 4 and 5; port 2 is picked from the menu unclaimed
        ASSERT_EQ(ports->Claim(port), 1);
    }
    kernel.Take();
    // The address, the calls of OutByte(address, 0xA5) and InByte(address), what InByte gives:
    // of the control register the kernel's four output lines, the other bits as written.
    const std::tuple<std::int32_t, Calls, std::int32_t> cases[] = {
        {888, {"PPWDATA 3 A5", "PPRDATA 3"}, 0x3C},
        {889, {"PPRSTATUS 3"}, 0x78}, // the status register is read-only
        {890, {"PPWCONTROL 3 05", "PPDATADIR 3 01", "PPRCONTROL 3"}, 0xAC},
        {632,
         {"open /dev/parport1 = 6", "PPEXCL 6", "PPCLAIM 6", "PPWDATA 6 A5", "PPRDATA 6"},
         0x3C},
        {0xD012, {"PPWCONTROL 5 05", "PPDATADIR 5 01", "PPRCONTROL 5"}, 0xAC},
        {-12272, {"PPWDATA 5 A5", "PPRDATA 5"}, 0x3C}, // 0xD010 sign-extended from 16 bits
        {0x2F8, {}, 0xFF},                             // a serial port's
        {0x27B, {}, 0xFF},                             // one past LPT2's control register
        {0x10378, {}, 0xFF},                           // not 888 with a carry
    };
    for (const auto& [address, calls, read] : cases) {
        SCOPED_TRACE(address);
        ports->Out(address, -0x5B); // 0xA5 sign-extended: only the low 8 bits count
        EXPECT_EQ(ports->In(address), read);
        EXPECT_EQ(kernel.Take(), calls);
    }
    EXPECT_THAT(kernel.told,
                ElementsAre("parllio: no printer port at I/O address 0x02F8 (760); writes there "
                            "are dropped and reads give 0xFF (the kernel's ports: 0x0378, 0x0278, "
                            "0x03BC, 0xD010)",
                            HasSubstr("0x027B (635)"),
                            HasSubstr("I/O address 66424 is outside the I/O space")));
}

TEST_F(ParallelPortsTest, RegisterFailuresAreToldOnceAndReadsFloatButControlGivesItsCopy) {
    kernel.ports[0].errors = {
        {PPWDATA, EIO}, {PPRSTATUS, EIO}, {PPDATADIR, EIO}, {PPRCONTROL, EIO}};
    for (int i = 0; i < 3; ++i) {
        ports->Out(888, i);
        EXPECT_EQ(ports->In(889), 0xFF);
        ports->Out(890, 0x24);
        EXPECT_EQ(ports->In(890), 0x24);
    }
    EXPECT_THAT(kernel.told,
                ElementsAre("parllio: writing the data register of /dev/parport0 "
                            "failed: Input/output error",
                            HasSubstr("reading the status register of /dev/parport0"),
                            HasSubstr("setting the data direction of /dev/parport0"),
                            HasSubstr("reading the control register of /dev/parport0")));
    EXPECT_EQ(std::ranges::count(kernel.calls, "PPDATADIR 3 01"), 3)
        << "a direction that could not be set is tried again";
}

// A base not at the text's start, or past 0xFFFF, the fuzz target of base-addr
// finds (fuzz/base_addr_fuzz.cpp).
TEST_F(ParallelPortsTest, InfoGivesTheFirstFieldOfBaseAddrAndRefusesTheRestClaimingNothing) {
    const std::pair<std::string, std::int32_t> rows[] = {
        {"53264\t53248\n", 0xD010},
        {"00888", 888},
        {"0\t0\n", 0}, // 0: a USB adapter's, no address
        {"888abc", 0},
        {"888\0"s, 0}};
    for (const auto& [text, base] : rows) {
        FakeKernel local;
        local.ports[0].baseAddr = text;
        ParallelPortInfo info{12, 0, 0};
        EXPECT_EQ(ParallelPorts(local).Info(1, &info), base != 0 ? 1 : 0) << text;
        EXPECT_EQ(info.base_address, base) << text;
        EXPECT_EQ(local.told.size(), base != 0 ? 0u : 1u) << text;
    }
    kernel.ports[0].readError = EACCES;
    ParallelPortInfo small{8, -1, 0}, info{12, -1, 0};
    EXPECT_EQ(ports->Info(1, nullptr) + ports->Info(1, &small) + ports->Claim(0), 0);
    EXPECT_EQ(ports->Info(1, &info), 0);
    EXPECT_EQ(small.base_address + info.base_address, -2);
    EXPECT_THAT(kernel.told, ElementsAre(HasSubstr("a record of at least 12 bytes"),
                                         HasSubstr("there is no port 0: ports are numbered from 1"),
                                         EndsWith("parport0/base-addr: Permission denied")));
    EXPECT_THAT(kernel.calls, IsEmpty());
}

TEST_F(ParallelPortsTest, ClaimsExclusivelyOrSharedWhenRefusedAndGivesEveryPortBack) {
    FourPorts();
    kernel.ports[1].printerDriver = true; // refuses the exclusive claim
    // Braces: counted, then claimed in this order.
    EXPECT_EQ((std::vector{ports->Count(), ports->Claim(1), ports->Claim(2), ports->Claim(3)}),
              (std::vector{4, 1, 1, 1}));
    ports->Out(632, 0x14);
    ports->Out(888, 0x06); // the last address used, which a release must make it forget
    EXPECT_THAT(kernel.Take(),
                ElementsAre("open /dev/parport0 = 3", "PPEXCL 3", "PPCLAIM 3",
                            "open /dev/parport1 = 4", "PPEXCL 4", "PPCLAIM 4", "close 4",
                            "open /dev/parport1 = 5", "PPCLAIM 5", "open /dev/parport2 = 6",
                            "PPEXCL 6", "PPCLAIM 6", "PPWDATA 5 14", "PPWDATA 3 06"));
    EXPECT_EQ(ports->Release(1), 1);
    EXPECT_EQ(ports->Release(1), 0) << "nothing left to release";
    EXPECT_THAT(kernel.Take(), ElementsAre("PPRELEASE 3", "close 3"));
    ports->Out(888, 0x14); // released, so claimed again at its next use
    ports.reset();
    EXPECT_THAT(kernel.Take(), ElementsAre("open /dev/parport0 = 7", "PPEXCL 7", "PPCLAIM 7",
                                           "PPWDATA 7 14", "PPRELEASE 7", "close 7", "PPRELEASE 5",
                                           "close 5", "PPRELEASE 6", "close 6"))
        << "what is left goes with the library, in port order";
    EXPECT_THAT(kernel.told, IsEmpty());

    FakeKernel none;
    EXPECT_EQ(ParallelPorts(none).Count(), 0);
    EXPECT_THAT(none.told,
                ElementsAre(EndsWith("load its modules: sudo modprobe -a parport_pc ppdev")));
}

// The parts only the real system shows: signals and the built library.

// The signals this thread lets through; the C library keeps those between
// SIGSYS and SIGRTMIN for itself.
std::vector<int> UnblockedSignals() {
    sigset_t mask;
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    std::vector<int> open;
    for (int signal = 1; signal <= SIGRTMAX; signal = signal == SIGSYS ? SIGRTMIN : signal + 1) {
        if (signal != SIGKILL && signal != SIGSTOP && !sigismember(&mask, signal)) {
            open.push_back(signal);
        }
    }
    return open;
}

// The wake itself, of a claim the kernel sleeps in, is the real-kernel tier's
// "held" case; here what the call runs under, and what is left after it.
TEST(CallWithPatience, MakesTheCallOnceLettingOnlyTheWakeSignalThroughAndPutsTheSignalsBack) {
    // A caller that keeps every signal blocked must still be woken.
    sigset_t all, callers;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &callers);
    // No other signal can end the call early, and an interrupted call is never made
    // again: the kernel would queue an interrupted port claim twice.
    std::vector<int> open;
    struct sigaction wake {
    }, left{};
    int tries = 0;
    const auto call = [&] {
        open = UnblockedSignals();
        sigaction(open.empty() ? SIGRTMAX : open[0], nullptr, &wake);
        return ++tries, -EINTR;
    };
    EXPECT_EQ(CallWithPatience(5s, call), -EINTR);
    EXPECT_EQ(tries, 1);
    EXPECT_THAT(open, ElementsAre(Ge(SIGRTMIN))) << "only the wake signal gets through";
    EXPECT_EQ(wake.sa_flags & SA_RESTART, 0) << "a restarted claim would sleep on";
    // Put back: the caller's mask, every signal blocked, and no handler.
    sigaction(open.empty() ? SIGRTMAX : open[0], nullptr, &left);
    EXPECT_THAT(UnblockedSignals(), IsEmpty());
    EXPECT_EQ(left.sa_handler, SIG_DFL);
    pthread_sigmask(SIG_SETMASK, &callers, nullptr);
}

TEST(BuiltLibrary, ExportsItsFunctionsAndReachesPortsOnlyThroughTheKernelsDriver) {
    // Raw port access would need ioperm or iopl; the library must not even import them.
    std::ifstream file(PARLLIO_LIBRARY, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(bytes.find("\0ioperm\0"s), std::string::npos);
    EXPECT_EQ(bytes.find("\0iopl\0"s), std::string::npos);
    EXPECT_NE(bytes.find("\0ioctl\0"s), std::string::npos);

    void* library = dlopen(PARLLIO_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const char* name :
         {"GetParallelPortCount", "ClaimParallelPort", "ReleaseParallelPort", "GetParallelPortInfo",
          "InByte", "OutByte", "GetParallelPortError", "SetParallelPortMessageHandler"}) {
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    }
    // It answers for no other port than a printer port, and says so.
    const auto inByte = reinterpret_cast<decltype(&::InByte)>(dlsym(library, "InByte"));
    CaptureStderr();
    EXPECT_EQ(inByte(0x2F8), 0xFF);
    EXPECT_THAT(GetCapturedStderr(), HasSubstr("parllio: no printer port at I/O address 0x02F8"));
    // The same words for a caller to show, cut to its buffer.
    const auto lastError =
        reinterpret_cast<decltype(&::GetParallelPortError)>(dlsym(library, "GetParallelPortError"));
    char small[8] = "xxxxxxx";
    const int32_t length = lastError(small, 4);
    std::string text(static_cast<std::size_t>(length) + 1, 'x');
    EXPECT_EQ(lastError(text.data(), length + 1), length);
    EXPECT_THAT(text, StartsWith("no printer port at I/O address 0x02F8"));
    EXPECT_EQ(std::string(small, 5), std::string("no \0x", 5));

    // A program that takes the library's messages gets them instead of standard
    // error, for as long as its binding lives.
    {
        std::vector<std::string> said;
        qv4130::DynamicPortLibrary bound(PARLLIO_LIBRARY, {},
                                         [&](const std::string& text) { said.push_back(text); });
        CaptureStderr();
        EXPECT_EQ(bound.InByte(0x3F8), 0xFF);
        EXPECT_EQ(GetCapturedStderr(), "");
        EXPECT_THAT(said, ElementsAre(HasSubstr("parllio: no printer port at I/O address 0x03F8")));
    }
    CaptureStderr();
    EXPECT_EQ(inByte(0x2E8), 0xFF);
    EXPECT_THAT(GetCapturedStderr(), HasSubstr("parllio: no printer port at I/O address 0x02E8"));
    dlclose(library);
}

} // namespace
} // namespace parllio
