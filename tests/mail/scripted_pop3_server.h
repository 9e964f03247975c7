#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

namespace kova::test {

// One step of what a scripted server does on each connection.
struct ServerStep {
    enum Kind { Send, AwaitLine, Pause, Close, Flood, Reset, Drip, Stream };
    Kind kind = Send;
    QByteArray bytes; // Send, Drip
    int amount = 0;   // Pause, Drip: milliseconds; Flood: bytes without a line end;
                      // Stream: lines
    std::function<QByteArray(int)> line = {}; // Stream: line n (from 1)
};

inline ServerStep send(const QByteArray& bytes) {
    return {ServerStep::Send, bytes, 0};
}
inline ServerStep awaitLine() {
    return {ServerStep::AwaitLine, {}, 0};
}
inline ServerStep pause(int ms) {
    return {ServerStep::Pause, {}, ms};
}
inline ServerStep closeConnection() {
    return {ServerStep::Close, {}, 0};
}
inline ServerStep flood(int bytes) {
    return {ServerStep::Flood, {}, bytes};
}
// Ends the connection with a TCP reset.
inline ServerStep resetConnection() {
    return {ServerStep::Reset, {}, 0};
}
// Sends `bytes` every `ms` milliseconds, for ever.
inline ServerStep drip(const QByteArray& bytes, int ms) {
    return {ServerStep::Drip, bytes, ms};
}

// Sends `lines` lines made by `line` (line 1, 2, ...), no more than a few
// dozen kilobytes ahead of what the client has taken.
inline ServerStep stream(int lines, std::function<QByteArray(int)> line) {
    return {ServerStep::Stream, {}, lines, std::move(line)};
}

// A willing POP3 server: greeting, USER, PASS, STAT with these figures, QUIT
// answered, the second QUIT awaited, then it closes.
QList<ServerStep> willingScript(int count, qint64 size);

// A willing IMAP server without STATUS=SIZE: greeting, LOGIN, EXAMINE with
// `count` messages, their sizes (message n is `size(n)` bytes) one FETCH line
// each, LOGOUT, then it closes.
QList<ServerStep> willingImapScript(int count, const std::function<qint64(int)>& size);

// A POP3 or IMAP server on 127.0.0.1 that plays a script on every connection
// and records what the client sent. When the script runs out it stays silent
// with the connection open.
class ScriptedPop3Server : public QObject {
    Q_OBJECT
public:
    explicit ScriptedPop3Server(QList<ServerStep> script, QObject* parent = nullptr);
    ~ScriptedPop3Server() override;
    quint16 port() const { return server_.serverPort(); }
    QByteArray received() const { return received_; }
    int connections() const { return connections_; }
    // The client closed its side of the last connection.
    bool clientClosed() const { return clientClosed_; }

    // A port nothing listens on (it was free a moment ago).
    static quint16 closedPort();

private:
    void accept();
    void play();

    QTcpServer server_;
    QList<ServerStep> script_;
    QPointer<QTcpSocket> client_;
    QByteArray received_;
    qsizetype lineCount_ = 0; // line ends received on this connection
    qsizetype linesAwaited_ = 0;
    qsizetype step_ = 0;
    int streamed_ = 0; // lines of the Stream step sent so far
    int connections_ = 0;
    bool clientClosed_ = false;
    bool paused_ = false;
};

} // namespace kova::test
