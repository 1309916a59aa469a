// The SCPI server over real loopback sockets: several clients, bad input, and
// clients that come and go.
#include "scpi/qt/ScpiServer.h"
#include "support/RecordingPortLibrary.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace qv4130::scpi {
namespace {

using testing::In;
using testing::Out;
using testing::PortCall;
using testing::WordWrites;
using Calls = std::vector<PortCall>;

constexpr int Patience = 5000; // ms

// Runs the event loop until `done`, waking at least every 50 ms, for at most
// Patience. (QTest::qWaitFor sleeps between rounds, too slow for 1,000 clients.)
template <typename Predicate> bool WaitFor(Predicate done) {
    QTimer wake;
    wake.start(50);
    const QDeadlineTimer deadline(Patience);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

class Client {
public:
    explicit Client(quint16 port) {
        socket.connectToHost(QHostAddress::LocalHost, port);
        EXPECT_TRUE(WaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState; }));
    }
    void Send(const QByteArray& bytes) {
        socket.write(bytes);
        socket.flush();
    }
    QByteArray Reply() {
        EXPECT_TRUE(WaitFor([this] { return socket.canReadLine(); }));
        return socket.readLine().chopped(1);
    }
    QTcpSocket socket;
};

std::size_t OpenDescriptors() {
    const auto entries = std::filesystem::directory_iterator("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

class ScpiServerTest : public ::testing::Test {
protected:
    ScpiServerTest() {
        port.registers[890] = 0xFF;
        state.PortAddress = 888;
        state.DevicePowered = 1;
        EXPECT_TRUE(server.Listen(QHostAddress::LocalHost, 0))
            << server.ErrorString().toStdString();
    }
    bool Connected(int clients) {
        return WaitFor([&] { return server.ConnectionCount() == clients; });
    }
    bool Sent(std::size_t calls) {
        return WaitFor([&] { return port.calls.size() >= calls; });
    }

    testing::RecordingPortLibrary port;
    SharedState state;
    Instrument instrument{port, state};
    Interpreter interpreter{instrument};
    ScpiServer server{interpreter};
};

Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST_F(ScpiServerTest, ClientsAreServedOneWholeLineAtATimeInArrivalOrder) {
    int executed = 0;
    QObject::connect(&server, &ScpiServer::LineExecuted, [&] { ++executed; });
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 4; ++i) {
        clients.push_back(std::make_unique<Client>(server.Port()));
    }
    // The first client's line is only half there when the second's arrives whole.
    clients[0]->Send("SOUR:CHAN1:CODE 1");
    clients[1]->Send("SOUR:CHAN2:CODE 2\n");
    ASSERT_TRUE(Sent(58));
    clients[0]->Send("\n");
    clients[2]->Send("SOUR:CHAN3:CODE 3;*OPC?;SOUR:CHAN3:CODE?\n");
    EXPECT_EQ(clients[2]->Reply(), "1;3");
    clients[3]->Send("*OPC?\n");
    EXPECT_EQ(clients[3]->Reply(), "1");
    EXPECT_EQ(port.calls, Join({{In(890), Out(890, 0xDF), Out(888, 0x16)},
                                WordWrites(888, 0x02002),
                                WordWrites(888, 0x01001),
                                WordWrites(888, 0x03003)}));
    EXPECT_EQ(executed, 4);
}

TEST_F(ScpiServerTest, BadInputSendsNothingAndTheServerGoesOn) {
    const std::pair<QByteArray, QByteArray> cases[] = {
        {QByteArray(70'000, 'A') + "\n", "-223,\"Too much data\""},
        {QByteArray("\x00\xff\x1b[2J\x7f", 8) + "\n", "-102,\"Syntax error\""},
        {"\n\r\n\n", "0,\"No error\""},
    };
    Client client(server.Port());
    for (const auto& [input, error] : cases) {
        SCOPED_TRACE(error.toStdString());
        client.Send(input);
        client.Send("SYST:ERR?\n");
        EXPECT_EQ(client.Reply(), error);
    }
    // A client gone in the middle of a line leaves nothing behind.
    {
        Client leaving(server.Port());
        leaving.Send("SOUR:CHAN5:CODE 2560");
        QTest::qWait(50);
    }
    ASSERT_TRUE(Connected(1));
    client.Send("*OPC?\n");
    EXPECT_EQ(client.Reply(), "1");
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(ScpiServerTest, AThousandClientsComeAndGoWithoutLeakingDescriptors) {
    const std::size_t before = OpenDescriptors();
    for (int i = 0; i < 1000; ++i) {
        Client client(server.Port());
        if (i % 2 == 0) {
            client.Send("*OPC?\n");
            ASSERT_EQ(client.Reply(), "1");
        }
    }
    ASSERT_TRUE(Connected(0));
    EXPECT_EQ(OpenDescriptors(), before);
}

} // namespace
} // namespace qv4130::scpi
