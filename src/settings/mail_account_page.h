#pragma once

#include "base/settings.h"
#include "settings/mail_settings.h"
#include "settings/password_store.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace kova {

// One of the three mail account tabs ("メール1".."メール3") of the settings
// dialog, built on its page: the server, the account, the password and the
// encryption, the certificate the user trusts for it, and the protocol.
class MailAccountPage : public QObject {
    Q_OBJECT
public:
    // Account `index` (0..2); `pageSize`: the room inside the tabs' frame.
    MailAccountPage(QWidget* page, int index, int tabsHeight, QSize pageSize);

    // The fields as the settings file has them.
    void load();
    // Before a save: where the password goes (asks `keyringPresent` only
    // when it has one to place).
    void planSave(const std::function<bool()>& keyringPresent);
    // The values "OK" and "適用" save, in the order they are written.
    QList<SettingValue> settingValues() const;
    // After a save: a trusted certificate of another server is gone; a
    // password for the keyring goes there.
    void saved();
    // Where passwords are kept: said in the empty password field and in
    // its tool tip (the design's places leave no room for a line of its own).
    void showPasswordPlace(bool keyring);

    // The live mail settings of this account.
    MailAccount account() const;
    void pinCertificate(const QString& fingerprint);

    QLineEdit* Text1 = nullptr; // port
    QLineEdit* Text2 = nullptr; // POP3 or IMAP server
    QLineEdit* Text3 = nullptr; // account
    QLineEdit* Text4 = nullptr; // password
    // The design's Label1 of this page: the captions of Text1..Text4, then
    // "←通常は110" (Label1(0..3), (5) on the first page, (i*5+1..i*5+5) on
    // the others). The server's caption and the hint follow the protocol and
    // encryption ("IMAPサーバ：", "←通常は993").
    std::array<QLabel*, 5> Label1{};
    // "暗号化：" and the choices "なし", "STARTTLS", "SSL/TLS", in the order
    // of MailSecurity.
    QLabel* Label19 = nullptr;
    std::array<QRadioButton*, 3> Option3{};
    // "受信方式：" and the choices "POP3", "IMAP", in the order of
    // MailProtocol.
    QLabel* Label20 = nullptr;
    std::array<QRadioButton*, 2> Option4{};

    // An encryption chosen: the usual port goes with it.
    void Option3_Click(int choice);
    // A protocol chosen: the server's caption and the usual port go with it.
    void Option4_Click(int choice);

signals:
    // A saved password went into the keyring's `item`, or stayed in the
    // file (empty).
    void passwordPlaced(const QString& item);

private:
    template <size_t N>
    QLabel* buildChoiceRow(QWidget* page, int top, int width, const QString& caption,
                           const std::array<QString, N>& choices,
                           std::array<QRadioButton*, N>& options);
    void showProtocol();
    MailSecurity security() const;
    MailProtocol protocol() const;
    bool pinHolds() const;

    int index_;
    // The trusted certificate as the file holds it, and the server it was
    // trusted for: another server's certificate is no "change".
    QString pin_;
    QString pinServer_;
    // The password as loaded or last saved, the keyring item holding it,
    // and the plan of the save under way.
    QString passwordLoaded_;
    QString passwordItem_;
    PasswordPlan plan_;
    // Whether a keyring answers, once the dialog has been shown.
    std::optional<bool> keyringHere_;
    void showPasswordItem();
};

} // namespace kova
