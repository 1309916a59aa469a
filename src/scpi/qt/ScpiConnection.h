#pragma once

#include "ServerLimits.h"
#include "net/Socket.h"
#include "scpi/CommandHandler.h"
#include "scpi/LineFramer.h"
#include "scpi/Session.h"

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace qv4130::scpi {

// One client of the SCPI server on its own connected, non-blocking socket: its
// input cut into lines, its own session, its unsent replies. The server runs
// its commands one at a time (RunNextCommand) when it is Ready.
//
// It reads only while it holds little: at most one line's worth of input
// waiting, and replies under the output bound; otherwise TCP's own flow control
// makes the client wait. A client that shuts down its sending side still has
// every line it sent carried out and every reply written before the socket is
// closed. A client that is gone (its connection reset, or a reply refused) has
// the lines it sent that have not run yet dropped: nobody is there to want them,
// and a backlog of sweeps would hold the board for hours. Whether it is gone is
// watched even while its input is not read.
class ScpiConnection final : public QObject {
    Q_OBJECT

public:
    ScpiConnection(net::Socket socket, QString peer, const ServerLimits& limits, Session session,
                   QObject* parent = nullptr);

    // A command waits and the client takes its replies.
    bool Ready() const;
    bool IsClosed() const { return !socket_.IsOpen(); }
    const QString& Peer() const { return peer_; }

    // Carries out the next command of the client's current line (a too-long line
    // counts as one command: its error). True when that ended the line.
    // Throws whatever the port library throws.
    bool RunNextCommand(CommandHandler& handler);

signals:
    // It may have become Ready.
    void Readied(ScpiConnection* connection);
    // The socket is closed; `why` is empty when the client simply went.
    void Closed(ScpiConnection* connection, const QString& why);

private:
    struct Line {
        std::string text;
        bool overlong = false;
    };

    // What a waiting line counts against the input held: an empty line too, and
    // a too-long one as much as the longest line kept.
    static std::size_t Cost(const Line& line) {
        return line.overlong ? MaxLineBytes : line.text.size() + 1;
    }

    void ReadInput();
    void Hold(Line line);
    void WriteOutput();
    void Queue(std::string bytes);
    void StallTimedOut();
    void CheckGone();
    // Notifiers, stall timer and readiness after any change; closes when done.
    void Update();
    void Close(const QString& why);
    bool Blocked() const { return Unsent() > limits_.outputBound; }
    std::size_t Unsent() const { return output_.size() - sent_; }

    net::Socket socket_;
    QString peer_;
    ServerLimits limits_;
    QSocketNotifier reader_;
    QSocketNotifier writer_;
    // Always on: a reset shows here whether or not reading and writing are.
    QSocketNotifier hangUp_;
    QTimer stall_;
    LineFramer framer_{MaxLineBytes};
    Session session_;
    std::deque<Line> lines_;
    std::size_t queuedBytes_ = 0;
    bool inputEnded_ = false;
    // The line being carried out, and where its next command starts.
    std::optional<Line> current_;
    std::size_t position_ = 0;
    std::vector<std::string> replies_;
    std::string output_;
    std::size_t sent_ = 0;
};

} // namespace qv4130::scpi
