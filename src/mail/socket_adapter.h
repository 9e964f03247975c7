#pragma once

#include "mail/socket_events.h"
#include "settings/mail_settings.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QAbstractSocket;
class QSslError;
class QSslSocket;

namespace kova {

// A TCP client socket with the events and error numbers of the socket
// control the mail dialogue was written for, optionally protected by TLS
// (QSslSocket; the certificates come from the platform seam). Every failure
// arrives as error() with a number of socketerror and a Japanese description.
class Winsock : public QObject {
    Q_OBJECT
public:
    static constexpr int kHandshakeLimitMs = 15000;
    // No arrival is larger: a long reply waits in the system's buffers, not
    // in ours.
    static constexpr qint64 kReadLimit = 64 * 1024;

    explicit Winsock(QObject* parent = nullptr);
    ~Winsock() override;

    // MailSecurity::Tls: TLS from the first byte; StartTls: plain until
    // startTls().
    void connectTo(const QString& host, quint16 port, MailSecurity security = MailSecurity::None);
    // Begins TLS on the open connection (after the server agreed to STLS).
    void startTls();
    // Called from a certificateFailed() handler: go on with this certificate.
    void acceptCertificate() { accepted_ = true; }
    void send(const QByteArray& bytes);
    // Drops the connection at once; no event follows.
    void close();
    // Closed before the first connect and after close(); a connection the
    // remote side ended, or one that failed, is not closed until close().
    bool isClosed() const { return closed_; }
    // A handshake that takes longer ends as socketerror::kTlsTimedOut.
    void setHandshakeLimitMs(int ms) { handshake_.setInterval(ms); }

    static int winsockNumber(int qtSocketError);
    // Japanese, for the failures without a message of their own.
    static QString describe(int qtSocketError);

signals:
    // The TCP connection is up (before any TLS handshake).
    void connected();
    // The TLS handshake finished; the connection is protected.
    void encrypted();
    // The handshake stopped at a certificate that does not verify: it goes
    // on only if a handler calls acceptCertificate().
    void certificateFailed(const CertificateCheck& check);
    void dataArrival(const QByteArray& bytes);
    void sendComplete();
    // The remote side closed the connection.
    void closed();
    void error(int number, const QString& description);

private:
    QSslSocket* makeSslSocket();
    void wire(QAbstractSocket* socket);
    void drop();
    void report(int number, const QString& description);
    void onError(int qtSocketError);
    void onDisconnected();
    void onSslErrors(QSslSocket* socket, const QList<QSslError>& errors);
    bool peerReset() const;
    void closePeerDescriptor();

    QPointer<QAbstractSocket> socket_;
    QTimer handshake_;
    // A second descriptor of the connection, kept while it is up: Qt reports
    // a reset as an ordinary close, the kernel's TCP state still tells.
    int peerDescriptor_ = -1;
    MailSecurity security_ = MailSecurity::None;
    bool closed_ = true;
    bool reported_ = false; // an error or close was reported for this connection
    bool accepted_ = false;
};

} // namespace kova
