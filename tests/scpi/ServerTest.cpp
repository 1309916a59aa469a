// The SCPI server over real loopback sockets: several clients, bad input,
// clients that flood, never read or half-close, and a process out of
// descriptors. (A burst of clients and one too many: qv4130ctl_test.py.)
#include "net/Socket.h"
#include "scpi/qt/ScpiServer.h"
#include "support/RecordingPortLibrary.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace qv4130::scpi {
namespace {

constexpr int Patience = 5000; // ms

// Runs the event loop until `done`, waking at least every 10 ms, for at most
// `patience` ms. (QTest::qWaitFor sleeps between rounds, too slow for 500 clients.)
template <typename Predicate> bool WaitFor(Predicate done, int patience = Patience) {
    QTimer wake;
    wake.start(10);
    const QDeadlineTimer deadline(patience);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// A client on the project's own non-blocking socket, so that a test controls
// exactly what it sends, when it stops reading, and when it shuts its sending side.
class Client {
public:
    explicit Client(quint16 port)
        : socket_(
              std::move(*net::Connect("127.0.0.1", port, std::chrono::milliseconds(Patience)))) {}

    // All of `bytes`, running the event loop whenever the socket is full.
    void Send(std::string_view bytes) {
        EXPECT_TRUE(WaitFor([&] {
            bytes.remove_prefix(TrySend(bytes));
            return bytes.empty();
        }));
    }
    // What a send of `bytes` took now, without waiting.
    std::size_t TrySend(std::string_view bytes) {
        const std::ptrdiff_t sent = net::Send(socket_, bytes);
        return sent > 0 ? static_cast<std::size_t>(sent) : 0;
    }
    void ShutDownSending() { ::shutdown(socket_.Get(), SHUT_WR); }
    // Closes at once, its unsent bytes dropped: the server sees a reset.
    void Abort() {
        const linger now{1, 0};
        ::setsockopt(socket_.Get(), SOL_SOCKET, SO_LINGER, &now, sizeof now);
        socket_.Close();
    }
    // The next line, without its newline; empty when the server closed first.
    std::string Reply() {
        EXPECT_TRUE(
            WaitFor([this] { return Fill() || received_.find('\n') != std::string::npos; }));
        const std::size_t newline = received_.find('\n');
        if (newline == std::string::npos) {
            return {};
        }
        std::string line = received_.substr(0, newline);
        received_.erase(0, newline + 1);
        return line;
    }

private:
    // Reads what is there; true at the end of the stream.
    bool Fill() {
        char buffer[4096];
        for (;;) {
            const std::ptrdiff_t got = net::Receive(socket_, buffer, sizeof buffer);
            if (got <= 0) {
                return got == 0 || !net::LastError().WouldBlock();
            }
            received_.append(buffer, static_cast<std::size_t>(got));
        }
    }

    net::Socket socket_;
    std::string received_;
};

// A line of `client`'s answered at once (within 100 ms), however busy the others keep the server.
void ExpectAnsweredAtOnce(Client& client) {
    QElapsedTimer answered;
    answered.start();
    client.Send("*OPC?\n");
    EXPECT_EQ(client.Reply(), "1");
    EXPECT_LT(answered.elapsed(), 100);
}

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
        QObject::connect(&server, &ScpiServer::Notice,
                         [this](const QString& message) { notices.push_back(message); });
    }
    bool Connected(int clients) {
        return WaitFor([&] { return server.ConnectionCount() == clients; });
    }

    test::RecordingPortLibrary port;
    SharedState state;
    // A sweep's word pause, long enough that thousands of sweeps would hold a
    // server that ran one client's backlog to its end.
    Board instrument{port, state, {{}, [] { ::usleep(100); }}};
    Interpreter interpreter{instrument};
    ScpiServer server{interpreter, {1024 * 1024, std::chrono::milliseconds(1000), 600}};
    std::vector<QString> notices;
};

// A client gone in the middle of a line leaves nothing behind, its socket closed at once.
TEST_F(ScpiServerTest, AClientGoneMidLineIsForgotten) {
    const std::size_t descriptors = OpenDescriptors();
    {
        Client leaving(server.Port());
        leaving.Send("SOUR:CHAN5:CODE 2560");
        ASSERT_TRUE(Connected(1));
    }
    ASSERT_TRUE(Connected(0));
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(ScpiServerTest, EachClientHasItsOwnErrorsButEveryClientLatchesTheBoardsEvents) {
    // Their lines run in the order they came: b's code is the one left.
    Client a(server.Port());
    Client b(server.Port());
    a.Send("SOUR:CHAN1:CODE 1;NOPE\n");
    b.Send("SOUR:CHAN1:CODE 2;CODE 5000\n");
    a.Send("*OPC?\n");
    EXPECT_EQ(a.Reply(), "1");
    b.Send("*CLS;SYST:ERR?\n");
    EXPECT_EQ(b.Reply(), "0,\"No error\"");
    a.Send("SYST:ERR?;SYST:ERR?;SOUR:CHAN1:CODE?\n");
    EXPECT_EQ(a.Reply(), "-113,\"Undefined header\";0,\"No error\";2");

    // One client's sweep and power-down latch in everyone's events, also for a client
    // that looks only once the chip is up again; one that comes after has none.
    b.Send("STAT:OPER:ENAB 8;STAT:QUES:ENAB 1;*OPC?\n");
    EXPECT_EQ(b.Reply(), "1");
    a.Send("DIAG:SWE;OUTP OFF;OUTP ON;*OPC?\n");
    EXPECT_EQ(a.Reply(), "1");
    Client later(server.Port());
    ASSERT_TRUE(Connected(3));
    for (Client* client : {&a, &b, &later}) {
        client->Send("*STB?;STAT:OPER?;STAT:QUES?;STAT:QUES:COND?\n");
    }
    EXPECT_EQ(a.Reply(), "0;8;1;0");
    EXPECT_EQ(b.Reply(), "136;8;1;0");
    EXPECT_EQ(later.Reply(), "0;0;0;0");
}

TEST_F(ScpiServerTest, AClientThatNeverReadsHoldsBoundedMemoryAndIsDroppedInTheEnd) {
    Client greedy(server.Port());
    Client other(server.Port());
    std::string queries;
    for (int i = 0; i < 10'000; ++i) {
        queries += "*IDN?\n";
    }
    // The server reads on only while the replies are taken; past the bound TCP
    // makes the client wait. Without a bound it would take all 64 MB.
    std::size_t accepted = 0;
    QElapsedTimer sinceLastTaken;
    sinceLastTaken.start();
    while (accepted < 64'000'000 && sinceLastTaken.elapsed() < 300) {
        const std::size_t taken = greedy.TrySend(queries);
        accepted += taken;
        if (taken > 0) {
            sinceLastTaken.restart();
        }
        QCoreApplication::processEvents();
    }
    EXPECT_LT(accepted, 32'000'000u);

    ExpectAnsweredAtOnce(other);

    // Its replies fill both sockets' buffers before the server holds any itself.
    ASSERT_TRUE(WaitFor([&] { return server.ConnectionCount() == 1; }, 30'000));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].contains("took no replies for 1 s: disconnected"))
        << notices[0].toStdString();
}

// Each in order, each told to whoever follows the board (qv4130's main window).
TEST_F(ScpiServerTest, AHalfClosedClientGetsEveryReply) {
    int executed = 0;
    QObject::connect(&server, &ScpiServer::LineExecuted, [&] { ++executed; });
    Client client(server.Port());
    // First a line refused for its length, an error as the interpreter's are (EXE, 16).
    std::string lines = std::string(70'000, 'A') + "\nSYST:ERR?;*ESR?\n";
    for (int i = 0; i < 200; ++i) {
        lines += "SOUR:CHAN" + std::to_string(i % 16) + ":CODE " + std::to_string(i) + ";CODE?\n";
    }
    client.Send(lines);
    client.ShutDownSending();
    EXPECT_EQ(client.Reply(), "-223,\"Too much data\";16");
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(client.Reply(), std::to_string(i)) << "line " << i;
    }
    EXPECT_EQ(client.Reply(), "") << "the server closes once every reply is sent";
    EXPECT_TRUE(Connected(0));
    EXPECT_EQ(executed, 202);
}

// A client that floods the server with the longest lines there are holds up no
// other; once it is gone, what it sent is dropped, not run for minutes.
TEST_F(ScpiServerTest, AFloodingClientHoldsUpNoOtherAndGoneHasItsLinesDropped) {
    Client flooding(server.Port());
    Client other(server.Port());
    // Whole lines of sweeps (each sweep over 1.6 ms): more than the server holds,
    // the rest waiting unread in its socket, where only a reset tells it is gone.
    std::string sweeps;
    while (sweeps.size() + 9 < MaxLineBytes) {
        sweeps += "DIAG:SWE;";
    }
    flooding.Send(sweeps + "\n" + sweeps + "\n" + sweeps + "\n" + sweeps + "\n");
    ASSERT_TRUE(WaitFor([&] { return port.calls.size() >= 1000; }));
    for (int i = 0; i < 5; ++i) {
        ExpectAnsweredAtOnce(other);
    }
    flooding.Abort();
    ASSERT_TRUE(Connected(1));
    const std::size_t calls = port.calls.size();
    WaitFor([] { return false; }, 100);
    EXPECT_EQ(port.calls.size(), calls);
}

TEST_F(ScpiServerTest, OutOfDescriptorsTheServerWaitsWithoutSpinningAndGoesOn) {
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = OpenDescriptors() + 32;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 4; ++i) {
        clients.push_back(std::make_unique<Client>(server.Port()));
        clients.back()->Send("*OPC?\n");
    }
    std::vector<int> filler;
    for (int fd = ::dup(0); fd >= 0; fd = ::dup(0)) {
        filler.push_back(fd);
    }

    const std::clock_t cpuBefore = std::clock(); // the process's, all its threads
    QElapsedTimer wall;
    wall.start();
    WaitFor([] { return false; }, 500);
    const double cpuShare = static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC /
                            (static_cast<double>(wall.elapsed()) / 1000.0);
    for (const int fd : filler) {
        ::close(fd);
    }
    ::setrlimit(RLIMIT_NOFILE, &saved);

    EXPECT_LT(cpuShare, 0.25);
    for (const auto& client : clients) {
        EXPECT_EQ(client->Reply(), "1");
    }
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].contains("can't take more clients now")) << notices[0].toStdString();
}

} // namespace
} // namespace qv4130::scpi
