#pragma once

#include "mail/mail_dialogue.h"

namespace kova {

// The POP3 dialogue: USER, PASS, STAT, QUIT, with STLS first when the
// account asks for STARTTLS.
class Pop3Dialogue : public MailDialogue {
public:
    void sendComplete(int i) override;
    QString progress() const override;

    int connectionState() const { return connection_; }
    int userState() const { return userState_; }
    int passState() const { return passState_; }
    int statState() const { return statState_; }

protected:
    void restart(int i) override;
    bool canSend(const QString& text) const override;
    LineResult handleLine(int i, const QByteArray& line, MailAction& action) override;
    void startTlsDone(int i, MailAction& action) override;
    bool answered() const override { return statState_ == 3; }
    Refusal refusal() const override;

private:
    LineResult handleStartTls(int i, const QString& token, MailAction& action);

    int userState_ = 0;
    int passState_ = 0;
    int statState_ = 0;
    // QUITs sent in this dialogue: a server that answers every one and never
    // closes is left after the second.
    int quits_ = 0;
};

} // namespace kova
