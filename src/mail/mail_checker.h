#pragma once

#include "mail/imap_dialogue.h"
#include "mail/keyring_password.h"
#include "mail/pop3_dialogue.h"
#include "mail/socket_adapter.h"
#include "settings/mail_settings.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>

namespace kova {

// The mail result window (Form2a) as the mail checker uses it.
class MailResultWindow {
public:
    virtual ~MailResultWindow() = default;
    // Label1(i) caption, i = 0, 1, 2.
    virtual void setResultLine(int i, const QString& text) = 0;
    virtual QString resultLine(int i) const = 0;
    // Puts these accounts' lines one under the other from the top, in the
    // order given, and fits the window's height to them.
    virtual void stackLines(const QList<int>& accounts) = 0;
    // Shows the window, turns the mailer label yellow, raises the window
    // without taking the focus.
    virtual void showMailFound() = 0;
    // Modeless show (the menu command).
    virtual void showWindow() = 0;
    // Unloads the window; a failure is ignored.
    virtual void unload() = 0;
};

// How the mail checker reaches the rest of the program; handed in by the main
// window.
struct MailHooks {
    // The settings dialog's live fields, the dialog made hidden when needed.
    std::function<MailSettings&()> settings;
    // The result window, made hidden when needed.
    std::function<MailResultWindow&()> resultWindow;
    // The result window if it exists, else nullptr. Optional: without it an
    // unload goes through resultWindow().
    std::function<MailResultWindow*()> existingResultWindow;
    // Shows the settings dialog on outer tab `outer` and mail tab `inner`.
    std::function<void(int outer, int inner)> openSettings;
};

// The check run and schedule over the POP3 and IMAP dialogues: the three
// sockets, the minute timer and the chaining timer of the main window.
class MailChecker : public QObject {
    Q_OBJECT
public:
    static constexpr int kMinuteMs = 60000;
    static constexpr int kChainMs = 1000;
    static constexpr int kDefaultDialogueLimitMs = 60000;

    explicit MailChecker(MailHooks hooks, QObject* parent = nullptr);

    // A dialogue that has not ended this long after its start ends, however
    // much the server sends meanwhile.
    void setDialogueLimitMs(int ms);
    void setHandshakeLimitMs(int ms);
    // The minute timer's minute, shorter in tests.
    void setMinuteMs(int ms) { Timer1.setInterval(ms); }

    void GetMail();
    void MailCheck0() { startDialogue(0); }
    void MailCheck1() { startDialogue(1); }
    void MailCheck2() { startDialogue(2); }
    // The menu command: counter "0", show the result window, run.
    void MnuMailChk_Click();
    void Timer1_Timer();
    void Timer2_Timer();

    bool mailBusy() const { return pop3_.mailBusy() || imap_.mailBusy(); }
    void setMailBusy(bool busy);
    // The result window's unload and mailer label: close the three sockets,
    // clear mailBusy; the run's flags stay.
    void closeSockets();
    // The minute timer runs while the interval is neither "0" nor empty.
    static bool wantsMinuteTimer(const QString& interval);
    void setMinuteTimerOn(bool on);
    bool minuteTimerOn() const { return Timer1.isActive(); }
    const QTimer& minuteTimer() const { return Timer1; }
    bool chainTimerOn() const { return Timer2.isActive(); }

    // The run's flags: account 2 pending (Text1), account 3 pending (Text2),
    // the last dialogue ended (Text3, kept by the dialogue since every
    // dialogue end sets it).
    bool pendingAccount2() const { return Text1; }
    bool pendingAccount3() const { return Text2; }
    bool doneFlag() const { return current_->done(); }
    Winsock& socket(int i) { return *sockets_[i]; }

private:
    void startDialogue(int i);
    void startWithKeyringPassword(int i, const MailAccount& account);
    void apply(int i, const MailAction& action);
    MailDialogue& dialogue(int i) { return *active_[size_t(i)]; }
    void closeSocket(int i);
    void unloadResultWindow();
    void tell(int i, const QString& message);
    void showBox(int i, const QString& message, bool unattended);

    MailHooks hooks_;
    // One dialogue runs at a time, of the protocol its account chose.
    Pop3Dialogue pop3_;
    ImapDialogue imap_;
    MailDialogue* current_ = &pop3_; // the one started last: its end is the done flag
    // Per account: the dialogue its socket's events go to.
    std::array<MailDialogue*, kMailAccountCount> active_{&pop3_, &pop3_, &pop3_};
    KeyringPassword keyringPassword_;
    Winsock Winsock0;
    Winsock Winsock1;
    Winsock Winsock2;
    std::array<Winsock*, kMailAccountCount> sockets_{&Winsock0, &Winsock1, &Winsock2};
    // Per account: the deadline of its dialogue.
    std::array<QTimer, kMailAccountCount> watchdogs_;
    QTimer Timer1;
    QTimer Timer2;
    bool Text1 = false;
    bool Text2 = false;
    // The run was started by the minute timer, not by the user.
    bool byClock_ = false;
    // Per account: its dialogue belongs to such a run; its message boxes open.
    std::array<bool, kMailAccountCount> unattended_{};
    std::array<int, kMailAccountCount> openBoxes_{};
};

} // namespace kova
