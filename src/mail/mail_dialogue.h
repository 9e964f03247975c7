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
struct MailAction {
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

// What asking one account for the number and size of its messages has in
// common whatever the protocol: the start and its checks, the connection and
// its TLS, the certificate question, lines cut from the arrivals, and every
// end with its result line and messages. No sockets: socket events go in,
// MailAction comes out. One dialogue state serves the three accounts
// (i = 0, 1, 2), so only one dialogue runs at a time; each account keeps its
// own receive buffer. The protocol itself is a subclass's.
class MailDialogue {
public:
    // A line end that does not come within this many buffered bytes ends the
    // dialogue.
    static constexpr qsizetype kBufferLimit = 64 * 1024;

    virtual ~MailDialogue() = default;

    // MailCheck0/1/2.
    MailAction start(int i, const MailAccount& account);
    // The TCP connection is up.
    MailAction connected(int i);
    // The TLS handshake finished.
    MailAction encrypted(int i);
    // The handshake stopped at a certificate that does not verify.
    MailAction certificateFailed(int i, const CertificateCheck& check);
    // The user's answer to `question`.
    MailAction trustAnswered(int i, bool trusted);
    MailAction dataArrived(int i, const QByteArray& bytes);
    virtual void sendComplete(int) {}
    // The remote side closed the socket.
    MailAction closed(int i);
    // `socketOpen`: the account's socket is not closed. `description` is
    // shown for numbers without a text of their own.
    MailAction error(int i, int number, const QString& description, bool socketOpen);
    // The dialogue's time is up: a server that was reached but did not
    // finish, or one that was never reached (as error 10060).
    MailAction timedOut(int i);

    bool mailBusy() const { return mailBusy_; }
    void setMailBusy(bool busy) { mailBusy_ = busy; }
    // The done flag of the check run (Form1.Text3).
    bool done() const { return done_; }
    void setDone(bool done) { done_ = done; }

    qint64 messageCount() const { return count_; }
    qint64 mailboxSize() const { return size_; }
    QByteArray buffer(int i) const { return buffers_.at(i); }
    // Where the exchange stood, for the log: no user data.
    virtual QString progress() const = 0;

protected:
    // Where a protected connection stands; plain accounts stay Plain.
    enum class Tls { Plain, AwaitGreeting, AwaitStls, Handshake, Secure };
    enum class LineResult { Next, Stop };
    // Why the server would not let us in, once the connection ends.
    enum class Refusal { None, NoAccount, InUse, BadPassword };

    // A new exchange (and a new connection after a certificate was trusted).
    virtual void restart(int i) = 0;
    // The account name and password can go on the wire.
    virtual bool canSend(const QString& text) const = 0;
    // One line, CR LF included.
    virtual LineResult handleLine(int i, const QByteArray& line, MailAction& action) = 0;
    // The TLS of STARTTLS is up.
    virtual void startTlsDone(int i, MailAction& action) = 0;
    // The count and size are in.
    virtual bool answered() const = 0;
    virtual Refusal refusal() const { return Refusal::None; }

    // Reports what is known and ends.
    void closeHandling(int i, bool socketOpen, MailAction& action);
    void endWithMessage(int i, const QString& tail, MailAction& action);
    // Ends with the design's failure message ("エラーが発生しました...").
    void fail(int i, MailAction& action);

    QString user_;
    QString password_;
    MailSecurity security_ = MailSecurity::None;
    Tls tls_ = Tls::Plain;
    int connection_ = 0; // the design's connection state
    // Mailboxes of several gigabytes are common.
    qint64 count_ = 0;
    qint64 size_ = 0;
    // Bytes of a literal still to pass over unread (IMAP), before the next line.
    qint64 skip_ = 0;
    // Bytes, not text: CR LF never occurs inside a CP932 or UTF-8 character,
    // so lines split here decode whole.
    std::array<QByteArray, kMailAccountCount> buffers_;

private:
    void connect(MailAction& action);
    void end(MailAction& action);

    bool mailBusy_ = false;
    bool done_ = false;
    QString host_;
    quint16 port_ = 0;
    QString pin_;
    QString offered_;      // fingerprint of the certificate in question
    bool reached_ = false; // the server was connected in this dialogue
};

// The leading decimal number of `text` (0 when it has none); nullopt when it
// does not fit a 32-bit (64-bit) signed integer.
std::optional<qint32> leadingNumber(QStringView text);
std::optional<qint64> leadingNumber64(QStringView text);

} // namespace kova
