#pragma once

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
    bool showResult = false;      // mail found: show the result window, Label2 yellow, raise
    std::optional<QString> label; // new caption of the account's result line
    QStringList messages;         // message boxes with an OK button, in order
    bool beep = false;
    bool ended = false; // the dialogue ended here (mailBusy cleared, done flag set)
};

// The POP3 dialogue that asks one account at a time for the number and size
// of its messages: USER, PASS, STAT, QUIT. No sockets: socket events go in,
// Pop3Action comes out. One dialogue state is shared by the three accounts
// (i = 0, 1, 2), so only one dialogue runs at a time; each account keeps its
// own receive buffer.
class Pop3Dialogue {
public:
    // A line end that does not come within this many buffered bytes ends the
    // dialogue.
    static constexpr qsizetype kBufferLimit = 64 * 1024;
    static constexpr int kTimedOutError = 10060;

    // MailCheck0/1/2.
    Pop3Action start(int i, const MailAccount& account);
    Pop3Action connected(int i);
    Pop3Action dataArrived(int i, const QByteArray& bytes);
    void sendComplete(int i);
    // The remote side closed the socket.
    Pop3Action closed(int i);
    // `socketOpen`: the account's socket is not closed.
    Pop3Action error(int i, int winsockNumber, const QString& description, bool socketOpen);
    // No progress for too long: ends as error 10060 on an open socket.
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
    qint32 messageCount() const { return count_; }
    qint32 mailboxSize() const { return size_; }
    QByteArray buffer(int i) const { return buffers_.at(i); }

private:
    enum class LineResult { Next, Stop };
    LineResult handleLine(int i, const QByteArray& line, Pop3Action& action);
    void closeHandling(int i, bool socketOpen, Pop3Action& action);
    void fail(int i, Pop3Action& action);
    void end(Pop3Action& action);

    bool mailBusy_ = false;
    bool done_ = false;
    QString user_;
    QString password_;
    int connection_ = 0;
    int userState_ = 0;
    int passState_ = 0;
    int statState_ = 0;
    qint32 count_ = 0;
    qint32 size_ = 0;
    // Bytes, not text: CR LF never occurs inside a CP932 character, so lines
    // split here decode whole.
    std::array<QByteArray, kMailAccountCount> buffers_;
};

// The leading decimal number of `text` (0 when it has none); nullopt when it
// does not fit a 32-bit signed integer.
std::optional<qint32> leadingNumber(QStringView text);

} // namespace kova
