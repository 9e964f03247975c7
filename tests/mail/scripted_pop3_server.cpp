#include "scripted_pop3_server.h"

#include <QTimer>

#include <sys/socket.h>

namespace kova::test {

QList<ServerStep> willingScript(int count, qint64 size) {
    return {send("+OK ready\r\n"),
            awaitLine(),
            send("+OK\r\n"),
            awaitLine(),
            send("+OK\r\n"),
            awaitLine(),
            send("+OK " + QByteArray::number(count) + ' ' + QByteArray::number(size) + "\r\n"),
            awaitLine(),
            send("+OK bye\r\n"),
            awaitLine(),
            closeConnection()};
}

QList<ServerStep> willingImapScript(int count, const std::function<qint64(int)>& size) {
    return {send("* OK [CAPABILITY IMAP4rev1 LITERAL+ AUTH=PLAIN] ready\r\n"),
            awaitLine(),
            send("k1 OK [CAPABILITY IMAP4rev1 IDLE] Logged in\r\n"),
            awaitLine(),
            send("* FLAGS (\\Seen)\r\n* " + QByteArray::number(count) +
                 " EXISTS\r\nk2 OK [READ-ONLY] Examined\r\n"),
            awaitLine(),
            stream(count,
                   [size](int n) {
                       return "* " + QByteArray::number(n) + " FETCH (RFC822.SIZE " +
                              QByteArray::number(size(n)) + ")\r\n";
                   }),
            send("k3 OK Fetch completed\r\n"),
            awaitLine(),
            send("* BYE Logging out\r\nk4 OK Logout completed\r\n"),
            closeConnection()};
}

ScriptedPop3Server::ScriptedPop3Server(QList<ServerStep> script, QObject* parent)
    : QObject(parent), script_(std::move(script)) {
    connect(&server_, &QTcpServer::newConnection, this, &ScriptedPop3Server::accept);
    server_.listen(QHostAddress::LocalHost);
}

ScriptedPop3Server::~ScriptedPop3Server() {
    // The connections die with server_, after our members: hear nothing more.
    for (QTcpSocket* socket : server_.findChildren<QTcpSocket*>())
        disconnect(socket, nullptr, this, nullptr);
}

quint16 ScriptedPop3Server::closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void ScriptedPop3Server::accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        if (client_)
            client_->abort();
        client_ = socket;
        ++connections_;
        clientClosed_ = false;
        lineCount_ = linesAwaited_ = step_ = streamed_ = 0;
        paused_ = false;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            const QByteArray bytes = socket->readAll();
            received_ += bytes;
            lineCount_ += bytes.count("\n");
            if (socket == client_)
                play();
        });
        // A stream goes on as the client takes it.
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
            if (socket == client_ && step_ < script_.size() &&
                script_.at(step_).kind == ServerStep::Stream)
                play();
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (socket == client_)
                clientClosed_ = true;
        });
        play();
    }
}

void ScriptedPop3Server::play() {
    while (client_ && !paused_ && step_ < script_.size()) {
        const ServerStep& step = script_.at(step_);
        switch (step.kind) {
        case ServerStep::Send:
            client_->write(step.bytes);
            client_->flush();
            break;
        case ServerStep::AwaitLine:
            if (lineCount_ <= linesAwaited_)
                return;
            ++linesAwaited_;
            break;
        case ServerStep::Pause: {
            paused_ = true;
            ++step_;
            QPointer<QTcpSocket> client = client_;
            QTimer::singleShot(step.amount, this, [this, client] {
                if (client != client_)
                    return;
                paused_ = false;
                play();
            });
            return;
        }
        case ServerStep::Close:
            client_->disconnectFromHost();
            break;
        case ServerStep::Reset: {
            const linger now = {1, 0};
            ::setsockopt(int(client_->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
            client_->abort();
            break;
        }
        case ServerStep::Drip: {
            auto* timer = new QTimer(client_);
            QTcpSocket* client = client_;
            connect(timer, &QTimer::timeout, client,
                    [client, bytes = step.bytes] { client->write(bytes); });
            timer->start(step.amount);
            return;
        }
        case ServerStep::Stream: {
            constexpr qint64 kAhead = 64 * 1024;
            while (streamed_ < step.amount && client_->bytesToWrite() < kAhead) {
                QByteArray batch;
                while (streamed_ < step.amount && batch.size() < kAhead / 4)
                    batch += step.line(++streamed_);
                client_->write(batch);
            }
            if (streamed_ < step.amount)
                return;
            streamed_ = 0;
            break;
        }
        case ServerStep::Flood: {
            const QByteArray chunk(64 * 1024, 'x');
            for (int sent = 0; sent < step.amount; sent += chunk.size())
                client_->write(chunk.left(std::min<qsizetype>(chunk.size(), step.amount - sent)));
            break;
        }
        }
        ++step_;
    }
}

} // namespace kova::test
