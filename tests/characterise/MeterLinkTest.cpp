// The meter link's own pieces: addresses as operators write them, and a peer
// on loopback TCP that stops reading. (Meters that misbehave in the middle of a
// run: qv4130ctl_characterise_test.py, through the command line.)
#include "characterise/MeterAddress.h"
#include "characterise/TcpTransport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace qv4130::characterise {
namespace {

using namespace std::chrono_literals;

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
