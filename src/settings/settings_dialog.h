#pragma once

#include "base/settings.h"
#include "settings/mail_settings.h"

#include <QString>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;
class QPushButton;
class QTabWidget;

namespace kova {

class GeneralPage;
class Launcher;
class LauncherPage;
class MailAccountPage;
class MailOptionsPage;
class NotesDefaultsPage;

// Form1a: the settings dialog, "KovaShell(設定)": general options, the three
// mail accounts with the interval and the mail program, the launcher entries
// and the defaults of new notes. While it exists (shown or hidden) its fields
// are the live mail settings. At most one exists; its owner makes it with
// SingleWindow and runs Form_Load once the signals are connected.
class Form1a : public QWidget, public MailSettings {
    Q_OBJECT
public:
    // What the dialog's hidden load and unload at start-up leave in the
    // settings file (its place, kept on the screen), without building it.
    static void keepPlaceUnloaded();
    explicit Form1a(Launcher& launcher);
    ~Form1a() override;

    // The load steps, in order: run once, right after creation.
    void Form_Load();
    // Writes every setting. False (after telling the user) when the
    // settings file could not be written; it is then unchanged.
    bool SaveOption();
    // Selects the outer tab, and for the mail tab (1) the inner one.
    void showTab(int outer, int inner = -1);

    // MailSettings: the fields as they stand.
    MailAccount mailAccount(int i) const override;
    QString interval() const override;
    QString minuteCounter() const override;
    void setMinuteCounter(const QString& value) override;
    QString mailer() const override;
    void pinCertificate(int i, const QString& fingerprint) override;

    QTabWidget* SSTab1 = nullptr;
    QTabWidget* SSTab2 = nullptr;
    QLabel* Picture1 = nullptr;
    QLabel* Label9 = nullptr;
    QPushButton* Command1 = nullptr; // OK
    QPushButton* Command2 = nullptr; // Cancel
    QPushButton* Command8 = nullptr; // apply

    // The tabs, each on its page: SSTab1's, and the mail tab's SSTab2.
    GeneralPage* generalPage = nullptr;
    std::array<MailAccountPage*, kMailAccountCount> accountPages{};
    MailOptionsPage* mailOptionsPage = nullptr;
    LauncherPage* launcherPage = nullptr;
    NotesDefaultsPage* notesPage = nullptr;
    // The minute counter of the automatic mail check (hidden in the design).
    QString Text6 = QStringLiteral("0");

    void Command1_Click();
    void Command2_Click();
    void Command8_Click();
    void Picture1_Click();

signals:
    // The main window's minute timer on or off (load steps, save).
    void minuteTimerSwitched(bool on);
    // The load steps clear the mail-busy flag.
    void mailBusyCleared();
    // Closed: the dialog is gone for its owner from now on.
    void unloaded();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMailTab(QWidget* page);
    void switchMinuteTimer();
    QList<SettingValue> settingValues() const;
    QList<SettingValue> placeValues() const;
    bool save(bool withPlace);
    void Form_Unload();

    Launcher& launcher_;
    // Where "OK" saved the dialog's place along with the settings.
    std::optional<QPoint> savedPlace_;
};

} // namespace kova
