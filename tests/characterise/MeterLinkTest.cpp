// The meter link against a meter on loopback TCP that misbehaves the way real
// ones do: whatever it does, the run ends with one clear message naming the
// meter, keeps what it measured and leaves the channel where it was.
#include "RunRig.h"
#include "StandInMeter.h"
#include "characterise/CharacterisationRun.h"
#include "characterise/MeterAddress.h"
#include "characterise/ScpiMeter.h"
#include "characterise/TcpTransport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv4130::characterise {
namespace {

using namespace std::chrono_literals;

constexpr int Channel = 5;
constexpr int CodeBefore = 2222;

std::unique_ptr<ScpiMeter> Connect(std::uint16_t port, std::chrono::milliseconds timeout) {
    const auto address = ParseMeterAddress("127.0.0.1:" + std::to_string(port));
    auto meter =
        std::make_unique<ScpiMeter>(OpenMeterTransport(*address, timeout),
                                    ScpiMeterSettings{.name = "127.0.0.1:" + std::to_string(port),
                                                      .rangeVolts = 10.0,
                                                      .nplc = 1.0,
                                                      .routeChannel = Channel,
                                                      .timeout = timeout});
    meter->Configure();
    return meter;
}

struct FaultCase {
    std::string name;
    MeterFault fault;
    std::string message; // part of the run's failure
    std::size_t kept;    // codes measured before it struck at the 4th reading
};

TEST(MeterLink, AMeterThatFailsStopsTheRunCleanly) {
    const std::vector<FaultCase> cases{
        {"it answers every query", MeterFault::None, "", 21},
        {"it stops answering", MeterFault::Silent, "did not answer READ?: no answer within 300 ms",
         3},
        {"it queues an error", MeterFault::ErrorQueued, "reports error -113,\"Undefined header\"",
         3},
        {"it sends garbage", MeterFault::Garbage, "answered READ? with", 3},
        {"it hangs up", MeterFault::Disconnect, "closed the connection", 3},
        {"it streams a line without end", MeterFault::EndlessLine, "without ending its line", 3},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        RunRig rig(Channel);
        ASSERT_EQ(rig.instrument.WriteCode(Channel, CodeBefore), ActionResult::Done);
        StandInMeter standIn(rig.board.Chip(), rig.model, c.fault, 4);
        const auto meter = Connect(standIn.Port(), 300ms);

        const RunOutcome outcome =
            RunCharacterisation(rig.output, *meter, {.channel = Channel, .from = 100, .to = 120});

        ASSERT_EQ(outcome.points.size(), c.kept);
        for (const Point& p : outcome.points) {
            // The meter sends ten significant digits, as an 8.5-digit DMM does.
            EXPECT_NEAR(p.volts, rig.model.Volts(Channel, p.code), 1e-9) << p.code;
        }
        if (c.message.empty()) {
            EXPECT_EQ(outcome.failure, "");
        } else {
            const std::string meterName = "meter 127.0.0.1:" + std::to_string(standIn.Port());
            EXPECT_TRUE(outcome.failure.starts_with(meterName)) << outcome.failure;
            EXPECT_NE(outcome.failure.find(c.message), std::string::npos) << outcome.failure;
            EXPECT_EQ(outcome.failure.find('\n'), std::string::npos) << outcome.failure;
        }
        EXPECT_EQ(rig.board.Chip().Code(Channel), CodeBefore);
    }
}

// A peer that takes nothing more (its buffers full) is given up on within the
// time-out, as one that does not answer is.
TEST(MeterLink, APeerThatStopsReadingIsGivenUpOnInTime) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(listen(listener, 1), 0); // connections wait in the backlog, never read
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    TcpTransport transport("127.0.0.1", ntohs(address.sin_port), 300ms);
    // Unbounded, this would wait for ever (and the test for its time-out).
    EXPECT_THROW(transport.Send(std::string(64 << 20, 'x')), TransportError);
    close(listener);
}

TEST(MeterLink, AddressesAsOperatorsWriteThem) {
    struct Row {
        std::string text;
        std::optional<MeterAddress> address;
    };
    const std::vector<Row> rows{
        {"dmm.lab", TcpAddress{"dmm.lab", 5025}},
        {"192.168.1.20:5555", TcpAddress{"192.168.1.20", 5555}},
        {"[::1]:5026", TcpAddress{"::1", 5026}},
        {"[::1]", TcpAddress{"::1", 5025}},
        {"/dev/usbtmc0", UsbTmcNode{"/dev/usbtmc0"}},
        {"dmm:", std::nullopt},
        {"dmm:0", std::nullopt},
        {"dmm:65536", std::nullopt},
        {":5025", std::nullopt},
        {"::1", std::nullopt},
        {"[::1", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const auto parsed = ParseMeterAddress(row.text);
        ASSERT_EQ(parsed.has_value(), row.address.has_value());
        if (!parsed) {
            continue;
        }
        if (const auto* tcp = std::get_if<TcpAddress>(&*row.address)) {
            ASSERT_TRUE(std::holds_alternative<TcpAddress>(*parsed));
            EXPECT_EQ(std::get<TcpAddress>(*parsed).host, tcp->host);
            EXPECT_EQ(std::get<TcpAddress>(*parsed).port, tcp->port);
        } else {
            ASSERT_TRUE(std::holds_alternative<UsbTmcNode>(*parsed));
            EXPECT_EQ(std::get<UsbTmcNode>(*parsed).path, std::get<UsbTmcNode>(*row.address).path);
        }
    }
}

} // namespace
} // namespace qv4130::characterise
