#include "net/Socket.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>

namespace qv4130::net {
namespace {

using namespace std::chrono_literals;

constexpr Endpoint Loopback{false, {127, 0, 0, 1}, 0};

std::string ReceiveSome(const Socket& socket) {
    std::array<char, 64> buffer{};
    EXPECT_TRUE(WaitFor(socket, Wait::Readable, 5s));
    const std::ptrdiff_t got = Receive(socket, buffer.data(), buffer.size());
    return got < 0 ? "error " + LastError().Text() : std::string(buffer.data(), got);
}

// The same calls reach the host's own sockets on Linux and on Windows (Winsock).
TEST(Socket, ServerAndClientTalkOverLoopbackWithoutEverBlocking) {
    Result<Socket> listener = Listen(Loopback, 4);
    ASSERT_TRUE(listener) << listener.Error();
    const Endpoint local = LocalEndpoint(*listener).value();
    ASSERT_NE(local.port, 0);
    // Nobody waiting: told so at once rather than held.
    EXPECT_FALSE(Accept(*listener).IsOpen());
    EXPECT_TRUE(LastError().WouldBlock());

    Result<Socket> client = Connect("127.0.0.1", local.port, 5s);
    ASSERT_TRUE(client) << client.Error();
    ASSERT_TRUE(WaitFor(*listener, Wait::Readable, 5s));
    const Socket served = Accept(*listener);
    ASSERT_TRUE(served.IsOpen());
    const Endpoint peer = PeerEndpoint(served).value();
    EXPECT_EQ(peer.address, Loopback.address);
    EXPECT_EQ(peer.port, LocalEndpoint(*client).value().port);

    // Nothing sent yet: the wait runs out, and says it was not a failure.
    EXPECT_FALSE(WaitFor(served, Wait::Readable, 20ms));
    EXPECT_EQ(LastError().code, 0);
    EXPECT_EQ(Send(*client, "*IDN?\n"), 6);
    EXPECT_EQ(ReceiveSome(served), "*IDN?\n");
    EXPECT_EQ(Send(served, "QV4130\n"), 7);
    EXPECT_EQ(ReceiveSome(*client), "QV4130\n");

    client->Close();
    EXPECT_EQ(ReceiveSome(served), ""); // the peer sends no more
}

TEST(Socket, APortInUseAndAPortNobodyListensOnAreRefusedWithTheReason) {
    Result<Socket> first = Listen(Loopback, 4);
    ASSERT_TRUE(first) << first.Error();
    const std::uint16_t port = LocalEndpoint(*first).value().port;
    Result<Socket> second = Listen({false, {127, 0, 0, 1}, port}, 4);
    EXPECT_FALSE(second);

    first->Close();
    Result<Socket> client = Connect("127.0.0.1", port, 5s);
    ASSERT_FALSE(client);
    EXPECT_EQ(client.Error().rfind("cannot connect: ", 0), 0u) << client.Error();
}

} // namespace
} // namespace qv4130::net
