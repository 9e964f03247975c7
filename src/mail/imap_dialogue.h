#pragma once

#include "mail/mail_dialogue.h"

#include <QList>

namespace kova {

// The IMAP dialogue: log in, ask INBOX for its number of messages and their
// size, log out. With STATUS=SIZE (RFC 8438) one STATUS answers; otherwise
// EXAMINE and FETCH 1:* (RFC822.SIZE), the sizes added up line by line as
// they come, so a mailbox of any size needs no more memory than one line.
// STARTTLS first when the account asks for it; the password never goes out
// in clear text to a server that says LOGINDISABLED.
class ImapDialogue : public MailDialogue {
public:
    enum class Step { Greeting, Capability, StartTls, Login, Status, Examine, Fetch, Logout };

    Step step() const { return step_; }
    QString progress() const override;

protected:
    void restart(int i) override;
    bool canSend(const QString& text) const override;
    LineResult handleLine(int i, const QByteArray& line, MailAction& action) override;
    void startTlsDone(int i, MailAction& action) override;
    bool answered() const override { return answered_; }
    Refusal refusal() const override { return refusal_; }

private:
    LineResult handleResponse(int i, const QByteArray& line, MailAction& action);
    LineResult handleUntagged(int i, const QByteArray& line, MailAction& action);
    LineResult handleTagged(int i, const QByteArray& status, const QByteArray& line,
                            MailAction& action);
    LineResult afterGreeting(int i, MailAction& action);
    LineResult login(int i, MailAction& action);
    LineResult afterLogin(MailAction& action);
    void count(MailAction& action);
    void command(Step step, const QByteArray& text, MailAction& action);
    void readCapabilities(const QByteArray& list);
    bool readStatus(const QByteArray& line);
    bool addFetched(const QByteArray& line);

    Step step_ = Step::Greeting;
    int tag_ = 0;
    QByteArray pending_;         // a response up to its last literal, that literal left out
    QList<QByteArray> literals_; // the rest of LOGIN, each after the server's "+"
    bool capabilities_ = false;  // the server told its capabilities (since the last change)
    bool statusSize_ = false;
    bool loginDisabled_ = false;
    bool startTlsOffered_ = false;
    bool loggedIn_ = false;
    qint64 exists_ = 0;
    std::optional<qint64> statusMessages_;
    std::optional<qint64> statusBytes_;
    bool answered_ = false;
    Refusal refusal_ = Refusal::None;
};

} // namespace kova
