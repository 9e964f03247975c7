#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace kova::test {

// A private Dovecot POP3 and IMAP server on 127.0.0.1 (Debian's
// dovecot-pop3d and dovecot-imapd; needs root): its own folder for configuration, state, log and
// maildirs, plain passwords, stopped when this object goes.
class DovecotServer {
public:
    struct Mailbox {
        QString user;
        QString password;
        QList<QByteArray> messages; // whole messages, CR LF line ends
    };

    DovecotServer() = default;
    ~DovecotServer();
    DovecotServer(const DovecotServer&) = delete;
    DovecotServer& operator=(const DovecotServer&) = delete;

    // With a certificate and key: STLS on port(), implicit TLS on tlsPort();
    // for IMAP STARTTLS on imapPort(), implicit TLS on imapTlsPort().
    struct Tls {
        QString certificateFile;
        QString keyFile;
    };

    // False with the reason in *why when it did not start; unavailable()
    // tells whether that is because this machine cannot run it (no Dovecot,
    // no root) rather than a fault.
    bool start(const QList<Mailbox>& mailboxes, QString* why, const Tls& tls = {});
    bool unavailable() const { return unavailable_; }
    void stop();
    quint16 port() const { return port_; }
    quint16 tlsPort() const { return tlsPort_; }
    quint16 imapPort() const { return imapPort_; }
    quint16 imapTlsPort() const { return imapTlsPort_; }
    QString logText() const;

    // A message of `bodyLines` lines; its size is what STAT counts.
    static QByteArray message(int number, int bodyLines = 3);

private:
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
    quint16 tlsPort_ = 0;
    quint16 imapPort_ = 0;
    quint16 imapTlsPort_ = 0;
    bool unavailable_ = false;
};

} // namespace kova::test
