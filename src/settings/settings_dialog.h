#pragma once

#include "base/settings.h"
#include "settings/mail_settings.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace kova {

class Launcher;
class LauncherPage;

// Form1a: the settings dialog, "KovaShell(設定)": general options, the three
// mail accounts with the interval and the mail program, the launcher entries
// and the defaults of new notes. While it exists (shown or hidden) its fields
// are the live mail settings. At most one exists; its owner makes it with
// SingleWindow and runs Form_Load once the signals are connected.
class Form1a : public QWidget, public MailSettings {
    Q_OBJECT
public:
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

    // Tab 0.
    QCheckBox* Check1 = nullptr;
    QLabel* Label3 = nullptr;
    std::array<QFrame*, 3> Line1{};
    QLabel* Label8 = nullptr;
    QPushButton* Command6 = nullptr; // Startup: register
    QPushButton* Command7 = nullptr; // Startup: remove
    QLabel* Label10 = nullptr;
    std::array<QRadioButton*, 2> Option2{};
    std::array<QLabel*, 2> Label11{};

    // Tab 1: account pages 0..2 and the options page.
    std::array<QLineEdit*, kMailAccountCount> Text1{}; // port
    std::array<QLineEdit*, kMailAccountCount> Text2{}; // POP3 server
    std::array<QLineEdit*, kMailAccountCount> Text3{}; // account
    std::array<QLineEdit*, kMailAccountCount> Text4{}; // password
    std::array<QLabel*, 16> Label1{};
    // The encryption of each account: "暗号化：" and the choices "なし",
    // "STARTTLS", "SSL/TLS", in the order of MailSecurity.
    std::array<QLabel*, kMailAccountCount> Label19{};
    std::array<std::array<QRadioButton*, 3>, kMailAccountCount> Option3{};
    QLineEdit* Text5 = nullptr; // interval, minutes
    QLabel* Label2 = nullptr;
    // The minute counter of the automatic mail check (hidden in the design).
    QString Text6 = QStringLiteral("0");
    QFrame* Line2 = nullptr;
    QLabel* Label18 = nullptr;
    QLineEdit* Text9 = nullptr; // the mail program
    QPushButton* Command14 = nullptr;

    // Tab 2.
    LauncherPage* launcherPage = nullptr;

    // Tab 3: defaults of new notes.
    QLabel* Label12 = nullptr;
    std::array<QLabel*, 4> Label13{};
    QLabel* Label14 = nullptr; // font name
    QLabel* Label15 = nullptr; // font size
    QLabel* Label16 = nullptr; // background swatch
    QLabel* Label17 = nullptr; // text colour swatch
    QPushButton* Command9 = nullptr;
    QPushButton* Command10 = nullptr;
    QPushButton* Command11 = nullptr;
    QPushButton* Command12 = nullptr;

    QColor backColor() const { return backColor_; }
    QColor foreColor() const { return foreColor_; }

    void Command1_Click();
    void Command2_Click();
    void Command8_Click();
    void Command6_Click();
    void Command7_Click();
    void Command14_Click();
    void Command9_Click();
    void Command11_Click();
    void Command12_Click();
    void Label3_Click();
    void Label11_Click(int index);
    // An encryption chosen for account i: the usual port goes with it.
    void Option3_Click(int i, int choice);
    void Picture1_Click();

signals:
    // The main window's minute timer on or off (load steps, save).
    void minuteTimerSwitched(bool on);
    // The load steps clear the mail-busy flag.
    void mailBusyCleared();
    // Closed: the dialog is gone for its owner from now on.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildGeneralTab(QWidget* page);
    void buildMailTab(QWidget* page);
    void buildSecurityRow(QWidget* account, int i, int left);
    MailSecurity security(int i) const;
    void buildNotesTab(QWidget* page);
    void setSwatch(QLabel* swatch, const QColor& color);
    void switchMinuteTimer();
    void setChoices(bool first, bool second);
    QList<SettingValue> settingValues() const;
    QList<SettingValue> placeValues() const;
    bool save(bool withPlace);
    void Form_Unload();

    Launcher& launcher_;
    // The trusted certificate of each account, as the file holds it, and the
    // server it was trusted for: another server's certificate is no "change".
    std::array<QString, kMailAccountCount> pins_;
    std::array<QString, kMailAccountCount> pinServers_;
    bool pinHolds(int i) const;
    QColor backColor_;
    QColor foreColor_;
    // Where "OK" saved the dialog's place along with the settings.
    std::optional<QPoint> savedPlace_;
};

} // namespace kova
