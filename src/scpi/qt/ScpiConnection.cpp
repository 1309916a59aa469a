#include "ScpiConnection.h"

namespace qv4130::scpi {

namespace {
constexpr std::size_t ReadChunk = 64 * 1024;

// One read buffer for all the clients on this thread (reads never overlap), so a
// connection costs little more than its socket while it waits.
std::string& ReadBuffer() {
    thread_local std::string buffer(ReadChunk, '\0');
    return buffer;
}
} // namespace

ScpiConnection::ScpiConnection(net::Socket socket, QString peer, const ServerLimits& limits,
                               Session session, QObject* parent)
    : QObject(parent), socket_(std::move(socket)), peer_(std::move(peer)), limits_(limits),
      reader_(static_cast<qintptr>(socket_.Get()), QSocketNotifier::Read),
      writer_(static_cast<qintptr>(socket_.Get()), QSocketNotifier::Write),
      hangUp_(static_cast<qintptr>(socket_.Get()), QSocketNotifier::Exception),
      session_(std::move(session)) {
    writer_.setEnabled(false);
    stall_.setSingleShot(true);
    stall_.setInterval(limits_.stallLimit);
    connect(&reader_, &QSocketNotifier::activated, this, &ScpiConnection::ReadInput);
    connect(&writer_, &QSocketNotifier::activated, this, &ScpiConnection::WriteOutput);
    connect(&hangUp_, &QSocketNotifier::activated, this, &ScpiConnection::CheckGone);
    connect(&stall_, &QTimer::timeout, this, &ScpiConnection::StallTimedOut);
}

bool ScpiConnection::Ready() const {
    return !IsClosed() && !Blocked() && (current_ || !lines_.empty());
}

bool ScpiConnection::RunNextCommand(CommandHandler& handler) {
    if (!current_) {
        current_ = std::move(lines_.front());
        lines_.pop_front();
        queuedBytes_ -= Cost(*current_);
        position_ = 0;
        replies_.clear();
    }
    bool more = false;
    if (current_->overlong) {
        session_.Report(Error::TooMuchData); // where its SYSTem:ERRor? finds it
    } else {
        std::optional<Error> error;
        more = handler.ExecuteNextCommand(current_->text, position_, session_, replies_, error);
    }
    if (!more) {
        std::string reply;
        for (std::size_t i = 0; i < replies_.size(); ++i) {
            reply += replies_[i];
            reply += i + 1 < replies_.size() ? ';' : '\n';
        }
        current_.reset();
        Queue(std::move(reply));
    }
    Update();
    return !more;
}

void ScpiConnection::ReadInput() {
    std::string& chunk = ReadBuffer();
    const std::ptrdiff_t got = net::Receive(socket_, chunk.data(), chunk.size());
    if (got < 0) {
        if (const net::SocketError error = net::LastError();
            !error.WouldBlock() && !error.Interrupted()) {
            Close({}); // reset by the client
        }
        return;
    }
    if (got == 0) {
        // The client sends no more; what it sent is still carried out and
        // answered. A half line at the end is dropped unrun.
        inputEnded_ = true;
    }
    framer_.Feed(
        std::string_view(chunk.data(), static_cast<std::size_t>(got)),
        [this](std::string_view line) {
            Hold({std::string(line), false});
        },
        [this] {
            Hold({{}, true});
        });
    Update();
}

void ScpiConnection::Hold(Line line) {
    queuedBytes_ += Cost(line);
    lines_.push_back(std::move(line));
}

void ScpiConnection::Queue(std::string bytes) {
    if (bytes.empty()) {
        return;
    }
    if (sent_ == output_.size()) {
        output_.clear();
        sent_ = 0;
    }
    output_ += bytes;
    WriteOutput();
}

void ScpiConnection::WriteOutput() {
    while (Unsent() > 0) {
        const std::ptrdiff_t sent = net::Send(socket_, std::string_view(output_).substr(sent_));
        if (sent < 0) {
            const net::SocketError error = net::LastError();
            if (error.Interrupted()) {
                continue;
            }
            if (!error.WouldBlock()) {
                Close({}); // the client is gone
                return;
            }
            break;
        }
        sent_ += static_cast<std::size_t>(sent);
    }
    if (Unsent() == 0) {
        output_.clear();
        sent_ = 0;
    } else if (sent_ > output_.size() / 2) {
        // Keep what is unsent at the front, so the buffer never grows past the bound by much.
        output_.erase(0, sent_);
        sent_ = 0;
    }
    Update();
}

// The event loops report an error or hang-up on the socket to its exception
// notifier, and urgent data too, which means nothing in SCPI.
void ScpiConnection::CheckGone() {
    if (net::HandleException(socket_)) {
        Close({}); // reset: the client is gone
    }
}

void ScpiConnection::StallTimedOut() {
    if (Blocked()) {
        Close(QStringLiteral("%1 took no replies for %2 s: disconnected")
                  .arg(peer_)
                  .arg(static_cast<double>(limits_.stallLimit.count()) / 1000.0));
    }
}

void ScpiConnection::Update() {
    if (IsClosed()) {
        return;
    }
    const bool idle = !current_ && lines_.empty();
    if (inputEnded_ && idle && Unsent() == 0) {
        Close({});
        return;
    }
    writer_.setEnabled(Unsent() > 0);
    reader_.setEnabled(!inputEnded_ && !Blocked() && queuedBytes_ < MaxLineBytes);
    if (Blocked() != stall_.isActive()) {
        Blocked() ? stall_.start() : stall_.stop();
    }
    if (Ready()) {
        emit Readied(this);
    }
}

void ScpiConnection::Close(const QString& why) {
    if (IsClosed()) {
        return;
    }
    reader_.setEnabled(false);
    writer_.setEnabled(false);
    hangUp_.setEnabled(false);
    stall_.stop();
    // What it sent and was not run yet goes with it.
    lines_.clear();
    current_.reset();
    queuedBytes_ = 0;
    socket_.Close();
    emit Closed(this, why);
}

} // namespace qv4130::scpi
