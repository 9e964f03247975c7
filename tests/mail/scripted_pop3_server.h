#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace kova::test {

// One step of what a scripted server does on each connection.
struct ServerStep {
    enum Kind { Send, AwaitLine, Pause, Close, Flood, Reset, Drip };
    Kind kind = Send;
    QByteArray bytes; // Send, Drip
    int amount = 0;   // Pause, Drip: milliseconds; Flood: bytes without a line end
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

// A willing POP3 server: greeting, USER, PASS, STAT with these figures, QUIT
// answered, the second QUIT awaited, then it closes.
QList<ServerStep> willingScript(int count, qint64 size);

// A POP3 server on 127.0.0.1 that plays a script on every connection and
// records what the client sent. When the script runs out it stays silent with
// the connection open.
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
    int connections_ = 0;
    bool clientClosed_ = false;
    bool paused_ = false;
};

} // namespace kova::test
