#pragma once

#include "mail/socket_events.h"
#include "settings/mail_settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace kova {

// What the owner of the sockets must do after an event. The dialogue's own
// state (mailBusy, the done flag) is already updated. The owner sends, closes
// and connects first, then shows the window, writes the label and shows the
// messages: no socket of an ended dialogue is open while a message box is.
struct Pop3Action {
    QByteArray send; // bytes to write to the account's socket
    bool closeSocket = false;
    bool connect = false; // open the connection to host:port
    QString host;
    quint16 port = 0;
    MailSecurity security = MailSecurity::None; // of that connection
    bool startTls = false;                      // STARTTLS: begin TLS on the open connection now
    bool acceptCertificate = false;             // go on with the certificate just checked
    // Keep this fingerprint as the account's trusted certificate.
    std::optional<QString> pin;
    bool showResult = false;      // mail found: show the result window, Label2 yellow, raise
    std::optional<QString> label; // new caption of the account's result line
    QStringList messages;         // message boxes with an OK button, in order
    // Last of all, a Yes/No box: trust this certificate? The answer goes to
    // trustAnswered().
    std::optional<QString> question;
    bool beep = false;
    bool ended = false; // the dialogue ended here (mailBusy cleared, done flag set)
};

// The POP3 dialogue that asks one account at a time for the number and size
// of its messages: USER, PASS, STAT, QUIT, over TLS when the account asks
// for it. No sockets: socket events go in, Pop3Action comes out. One dialogue
// state is shared by the three accounts (i = 0, 1, 2), so only one dialogue
// runs at a time; each account keeps its own receive buffer.
class Pop3Dialogue {
public:
    // A line end that does not come within this many buffered bytes ends the
    // dialogue.
    static constexpr qsizetype kBufferLimit = 64 * 1024;
    // MailCheck0/1/2.
    Pop3Action start(int i, const MailAccount& account);
    // The TCP connection is up.
    Pop3Action connected(int i);
    // The TLS handshake finished.
    Pop3Action encrypted(int i);
    // The handshake stopped at a certificate that does not verify.
    Pop3Action certificateFailed(int i, const CertificateCheck& check);
    // The user's answer to `question`.
    Pop3Action trustAnswered(int i, bool trusted);
    Pop3Action dataArrived(int i, const QByteArray& bytes);
    void sendComplete(int i);
    // The remote side closed the socket.
    Pop3Action closed(int i);
    // `socketOpen`: the account's socket is not closed. `description` is
    // shown for numbers without a text of their own.
    Pop3Action error(int i, int number, const QString& description, bool socketOpen);
    // The dialogue's time is up: a server that was reached but did not
    // finish, or one that was never reached (as error 10060).
    Pop3Action timedOut(int i);

    bool mailBusy() const { return mailBusy_; }
    void setMailBusy(bool busy) { mailBusy_ = busy; }
    // The done flag of the check run (Form1.Text3).
    bool done() const { return done_; }
    void setDone(bool done) { done_ = done; }

    int connectionState() const { return connection_; }
    int userState() const { return userState_; }
    int passState() const { return passState_; }
    int statState() const { return statState_; }
    qint64 messageCount() const { return count_; }
    qint64 mailboxSize() const { return size_; }
    QByteArray buffer(int i) const { return buffers_.at(i); }

private:
    // Where a protected connection stands; plain accounts stay Plain.
    enum class Tls { Plain, AwaitGreeting, AwaitStls, Handshake, Secure };
    enum class LineResult { Next, Stop };
    LineResult handleLine(int i, const QByteArray& line, Pop3Action& action);
    LineResult handleStartTls(int i, const QString& token, Pop3Action& action);
    void connect(Pop3Action& action);
    void closeHandling(int i, bool socketOpen, Pop3Action& action);
    void endWithMessage(int i, const QString& tail, Pop3Action& action);
    void fail(int i, Pop3Action& action);
    void end(Pop3Action& action);

    bool mailBusy_ = false;
    bool done_ = false;
    QString user_;
    QString password_;
    QString host_;
    quint16 port_ = 0;
    MailSecurity security_ = MailSecurity::None;
    QString pin_;
    QString offered_; // fingerprint of the certificate in question
    Tls tls_ = Tls::Plain;
    bool reached_ = false; // the server was connected in this dialogue
    int connection_ = 0;
    int userState_ = 0;
    int passState_ = 0;
    int statState_ = 0;
    // Mailboxes of several gigabytes are common.
    qint64 count_ = 0;
    qint64 size_ = 0;
    // QUITs sent in this dialogue: a server that answers every one and never
    // closes is left after the second.
    int quits_ = 0;
    // Bytes, not text: CR LF never occurs inside a CP932 character, so lines
    // split here decode whole.
    std::array<QByteArray, kMailAccountCount> buffers_;
};

// The leading decimal number of `text` (0 when it has none); nullopt when it
// does not fit a 32-bit (64-bit) signed integer.
std::optional<qint32> leadingNumber(QStringView text);
std::optional<qint64> leadingNumber64(QStringView text);

} // namespace kova
