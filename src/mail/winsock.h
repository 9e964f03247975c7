#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QAbstractSocket;

namespace kova {

// A TCP client socket with the events and error numbers of the socket
// control the mail dialogue was written for. The socket underneath comes from
// a factory, so an encrypting one can take its place.
class Winsock : public QObject {
    Q_OBJECT
public:
    using Factory = std::function<QAbstractSocket*(QObject* parent)>;

    // Numbers for the errors that have a Winsock counterpart.
    static constexpr int kHostNotFound = 11001;
    static constexpr int kTimedOut = 10060;
    static constexpr int kRefused = 10061;
    static constexpr int kAddressNotAvailable = 10049;
    static constexpr int kAborted = 10053;
    // Any other error is reported as this plus Qt's QAbstractSocket::SocketError
    // value (UnknownSocketError: 19999).
    static constexpr int kOtherBase = 20000;

    // Without a factory: a plain QTcpSocket.
    explicit Winsock(QObject* parent = nullptr, Factory factory = {});
    ~Winsock() override;

    void connectTo(const QString& host, quint16 port);
    void send(const QByteArray& bytes);
    // Drops the connection at once; no event follows.
    void close();
    // Closed before the first connect and after close(); a connection the
    // remote side ended, or one that failed, is not closed until close().
    bool isClosed() const { return closed_; }

    static int winsockNumber(int qtSocketError);

signals:
    void connected();
    void dataArrival(const QByteArray& bytes);
    void sendComplete();
    // The remote side closed the connection.
    void closed();
    void error(int number, const QString& description);

private:
    void drop();
    void onError(int qtSocketError);
    void onDisconnected();

    Factory factory_;
    QPointer<QAbstractSocket> socket_;
    bool closed_ = true;
    bool reported_ = false; // an error or close was reported for this connection
};

} // namespace kova
