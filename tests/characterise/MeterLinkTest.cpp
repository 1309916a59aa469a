// The meter link's own pieces: addresses as operators write them, and a peer
// on loopback TCP that stops reading. (Meters that misbehave in the middle of a
// run: qv4130ctl_characterise_test.py, through the command line.)
#include "characterise/MeterAddress.h"
#include "characterise/TcpTransport.h"
#include "net/Socket.h"

#include <gtest/gtest.h>

#include <string>

namespace qv4130::characterise {
namespace {

using namespace std::chrono_literals;

// A peer that takes nothing more (its buffers full) is given up on within the
// time-out, as one that does not answer is.
TEST(MeterLink, APeerThatStopsReadingIsGivenUpOnInTime) {
    // Connections wait in the backlog, never read.
    const Result<net::Socket> listener = net::Listen({.address = {127, 0, 0, 1}}, 1);
    ASSERT_TRUE(listener.Ok()) << listener.Error();
    TcpTransport transport("127.0.0.1", net::LocalEndpoint(*listener)->port, 300ms);
    // Unbounded, this would wait for ever (and the test for its time-out).
    EXPECT_THROW(transport.Send(std::string(64 << 20, 'x')), TransportError);
}

// What an address was read as: "host port", the node's path, or "refused".
std::string Read(const std::string& text) {
    const auto parsed = ParseMeterAddress(text);
    if (!parsed) {
        return "refused";
    }
    if (const auto* tcp = std::get_if<TcpAddress>(&*parsed)) {
        return tcp->host + " " + std::to_string(tcp->port);
    }
    return std::get<UsbTmcNode>(*parsed).path;
}

TEST(MeterLink, AddressesAsOperatorsWriteThem) {
    const std::pair<const char*, const char*> taken[] = {
        {"dmm.lab", "dmm.lab 5025"},      {"192.168.1.20:5555", "192.168.1.20 5555"},
        {"[::1]:5026", "::1 5026"},       {"[::1]", "::1 5025"},
        {"/dev/usbtmc0", "/dev/usbtmc0"},
    };
    for (const auto& [text, read] : taken) {
        EXPECT_EQ(Read(text), read) << text;
    }
    for (const char* text : {"dmm:", "dmm:0", "dmm:65536", ":5025", "::1", "[::1"}) {
        EXPECT_EQ(Read(text), "refused") << text;
    }
}

} // namespace
} // namespace qv4130::characterise
