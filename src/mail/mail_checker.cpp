#include "mail/mail_checker.h"

#include "base/logging.h"
#include "mail/mail_texts.h"
#include "platform/seam.h"

namespace kova {

using namespace Qt::StringLiterals;

MailChecker::MailChecker(MailHooks hooks, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)) {
    Timer1.setInterval(kMinuteMs);
    Timer2.setInterval(kChainMs);
    // A coarse timer may tick up to 5 % late, on every account of a run.
    Timer2.setTimerType(Qt::PreciseTimer);
    connect(&Timer1, &QTimer::timeout, this, &MailChecker::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &MailChecker::Timer2_Timer);
    for (int i = 0; i < kMailAccountCount; ++i) {
        Winsock* socket = sockets_[i];
        QTimer& watchdog = watchdogs_[i];
        watchdog.setSingleShot(true);
        watchdog.setInterval(kDefaultDialogueLimitMs);
        connect(&watchdog, &QTimer::timeout, this,
                [this, i] { apply(i, dialogue(i).timedOut(i)); });
        connect(socket, &Winsock::connected, this,
                [this, i] { apply(i, dialogue(i).connected(i)); });
        connect(socket, &Winsock::encrypted, this,
                [this, i] { apply(i, dialogue(i).encrypted(i)); });
        connect(socket, &Winsock::certificateFailed, this,
                [this, i](const CertificateCheck& check) {
                    apply(i, dialogue(i).certificateFailed(i, check));
                });
        connect(socket, &Winsock::dataArrival, this, [this, i](const QByteArray& bytes) {
            apply(i, dialogue(i).dataArrived(i, bytes));
        });
        connect(socket, &Winsock::sendComplete, this, [this, i] { dialogue(i).sendComplete(i); });
        connect(socket, &Winsock::closed, this, [this, i] { apply(i, dialogue(i).closed(i)); });
        connect(socket, &Winsock::error, this, [this, i](int number, const QString& description) {
            apply(i, dialogue(i).error(i, number, description, !sockets_[i]->isClosed()));
        });
    }
}

void MailChecker::setDialogueLimitMs(int ms) {
    for (QTimer& watchdog : watchdogs_)
        watchdog.setInterval(ms);
}

void MailChecker::setHandshakeLimitMs(int ms) {
    for (Winsock* socket : sockets_)
        socket->setHandshakeLimitMs(ms);
}

void MailChecker::startDialogue(int i) {
    // The busy check comes before the fields are read: reading them may make
    // the settings dialog, which clears mailBusy.
    if (mailBusy()) {
        Platform::instance().beep();
        return;
    }
    const MailAccount account = hooks_.settings().mailAccount(i);
    current_ = account.protocol == MailProtocol::Imap ? static_cast<MailDialogue*>(&imap_) : &pop3_;
    active_[size_t(i)] = current_;
    unattended_[i] = byClock_;
    if (account.password.isEmpty() && !account.passwordKey.isEmpty()) {
        startWithKeyringPassword(i, account);
        return;
    }
    apply(i, current_->start(i, account));
}

// The dialogue starts once the keyring has answered (after an unlock, maybe);
// meanwhile the check counts as running. A password it cannot get is told in
// the account's line only: a locked keyring is no box a minute.
void MailChecker::startWithKeyringPassword(int i, const MailAccount& account) {
    dialogue(i).setMailBusy(true);
    keyringPassword_.fetch(i, account.passwordKey, !unattended_[i],
                           [this, i, account](std::optional<QString> password) {
                               dialogue(i).setMailBusy(false);
                               if (password) {
                                   MailAccount withPassword = account;
                                   withPassword.password = *password;
                                   apply(i, dialogue(i).start(i, withPassword));
                                   return;
                               }
                               hooks_.resultWindow().setResultLine(
                                   i, mailtext::accountTag(i) + mailtext::kNoPasswordTail);
                               dialogue(i).setDone(true);
                           });
}

void MailChecker::apply(int i, const MailAction& action) {
    Winsock& socket = *sockets_[i];
    if (!action.send.isEmpty())
        socket.send(action.send);
    if (action.acceptCertificate)
        socket.acceptCertificate();
    if (action.startTls)
        socket.startTls();
    // Closed before any message box: while one is open, a socket left open
    // could deliver events of a dialogue that has already ended.
    if (action.closeSocket)
        closeSocket(i);
    if (action.pin) {
        hooks_.settings().pinCertificate(i, *action.pin);
        // Making the settings dialog for it clears mailBusy; this dialogue
        // goes on.
        dialogue(i).setMailBusy(true);
    }
    // The deadline runs from the start of the dialogue, not from its last
    // event.
    if (action.connect) {
        socket.connectTo(action.host, action.port, action.security);
        watchdogs_[i].start();
    }
    if (action.ended) {
        watchdogs_[i].stop();
        // Only the result line tells of it: the log keeps where it stopped.
        if (action.messages.isEmpty() &&
            action.label == mailtext::accountTag(i) + mailtext::kErrorLabelTail)
            qCWarning(kovaLog, "mail account %d: the connection ended before the count (%s)", i + 1,
                      qPrintable(dialogue(i).progress()));
    }
    if (action.showResult)
        hooks_.resultWindow().showMailFound();
    if (action.label)
        hooks_.resultWindow().setResultLine(i, *action.label);
    for (const QString& message : action.messages)
        tell(i, message);
    if (action.beep)
        Platform::instance().beep();
    if (action.question) {
        // The user's time to think is not the server's.
        watchdogs_[i].stop();
        const bool trusted =
            Platform::instance().messageBox(*action.question, Buttons::YesNo) == Answer::Yes;
        apply(i, dialogue(i).trustAnswered(i, trusted));
    }
}

// Boxes are modal, and the minute timer goes on while one is open: a server
// that keeps failing would stack a box a minute. While one is open for the
// account, a run nobody asked for only writes its result line.
void MailChecker::tell(int i, const QString& message) {
    if (unattended_[i] && openBoxes_[i] > 0) {
        const QString tag = mailtext::accountTag(i);
        hooks_.resultWindow().setResultLine(i, message.startsWith(tag) ? message : tag + message);
        return;
    }
    showBox(i, message, unattended_[i]);
}

void MailChecker::showBox(int i, const QString& message, bool unattended) {
    ++openBoxes_[i];
    Platform::instance().notice(message, i, !unattended);
    --openBoxes_[i];
}

void MailChecker::closeSocket(int i) {
    watchdogs_[i].stop();
    sockets_[i]->close();
}

void MailChecker::closeSockets() {
    keyringPassword_.callOff();
    for (int i = 0; i < kMailAccountCount; ++i)
        closeSocket(i);
    setMailBusy(false);
}

void MailChecker::setMailBusy(bool busy) {
    current_->setMailBusy(busy);
    if (!busy) {
        pop3_.setMailBusy(false);
        imap_.setMailBusy(false);
    }
}

void MailChecker::unloadResultWindow() {
    if (hooks_.existingResultWindow) {
        if (MailResultWindow* window = hooks_.existingResultWindow())
            window->unload();
        return;
    }
    hooks_.resultWindow().unload();
}

void MailChecker::GetMail() {
    MailSettings& settings = hooks_.settings();
    std::array<MailAccount, kMailAccountCount> accounts;
    QList<int> run;
    for (int i = 0; i < kMailAccountCount; ++i) {
        accounts[i] = settings.mailAccount(i);
        if (!accounts[i].account.isEmpty())
            run << i;
    }
    // The settings' messages too: a run of the minute timer adds none to one
    // still open.
    if (run.isEmpty()) {
        if (byClock_ && openBoxes_[0] > 0)
            return;
        showBox(0, mailtext::kNoSettings, byClock_);
        hooks_.openSettings(1, 0);
        unloadResultWindow();
        return;
    }
    for (int i : run) {
        const MailAccount& a = accounts[i];
        if (a.port.isEmpty() || a.server.isEmpty() ||
            (a.password.isEmpty() && a.passwordKey.isEmpty())) {
            if (byClock_ && openBoxes_[i] > 0)
                return;
            showBox(i, mailtext::kIncomplete, byClock_);
            hooks_.openSettings(1, i);
            unloadResultWindow();
            return;
        }
    }
    settings.setMinuteCounter(u"0"_s);
    MailResultWindow& window = hooks_.resultWindow();
    for (int i : run)
        window.setResultLine(i, mailtext::accountTag(i) + mailtext::kCheckingTail);
    window.stackLines(run);

    startDialogue(run.first());
    if (run.size() == 1)
        return;
    // After the start: a dialogue that ends while starting leaves the later
    // accounts waiting for the next end.
    current_->setDone(false);
    if (run.contains(1) && run.first() != 1)
        Text1 = true;
    if (run.contains(2) && run.first() != 2)
        Text2 = true;
    Timer2.start();
}

void MailChecker::MnuMailChk_Click() {
    byClock_ = false;
    hooks_.settings().setMinuteCounter(u"0"_s);
    hooks_.resultWindow().showWindow();
    GetMail();
}

void MailChecker::Timer2_Timer() {
    if (!current_->done())
        return;
    if (Text1) {
        closeSocket(0);
        MailCheck1();
        Text1 = false;
        current_->setDone(false);
    } else if (Text2) {
        closeSocket(0);
        closeSocket(1);
        MailCheck2();
        Text2 = false;
        current_->setDone(false);
    } else {
        for (int i = 0; i < kMailAccountCount; ++i)
            closeSocket(i);
        setMailBusy(false);
        Timer2.stop();
    }
}

bool MailChecker::wantsMinuteTimer(const QString& interval) {
    return !interval.isEmpty() && interval != u"0"_s;
}

void MailChecker::setMinuteTimerOn(bool on) {
    if (on && !Timer1.isActive())
        Timer1.start();
    else if (!on)
        Timer1.stop();
}

void MailChecker::Timer1_Timer() {
    MailSettings& settings = hooks_.settings();
    const std::optional<qint32> counter = leadingNumber(settings.minuteCounter());
    const QString next = QString::number(qint64(counter.value_or(0)) + 1);
    settings.setMinuteCounter(next);
    // Compared as text: an interval written "05" never matches.
    if (next == settings.interval()) {
        settings.setMinuteCounter(u"0"_s);
        // Its later accounts start from the chaining timer: the run keeps it.
        byClock_ = true;
        GetMail();
    }
}

} // namespace kova
