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
// encryption, and the certificate the user trusts for it.
class MailAccountPage : public QObject {
    Q_OBJECT
public:
    // Account `index` (0..2); `pageWidth`: the room inside the tabs' frame.
    MailAccountPage(QWidget* page, int index, int tabsHeight, int pageWidth);

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
    QLineEdit* Text2 = nullptr; // POP3 server
    QLineEdit* Text3 = nullptr; // account
    QLineEdit* Text4 = nullptr; // password
    // The design's Label1 of this page: the captions of Text1..Text4, then
    // "←通常は110" (Label1(0..3), (5) on the first page, (i*5+1..i*5+5) on
    // the others).
    std::array<QLabel*, 5> Label1{};
    // "暗号化：" and the choices "なし", "STARTTLS", "SSL/TLS", in the order
    // of MailSecurity.
    QLabel* Label19 = nullptr;
    std::array<QRadioButton*, 3> Option3{};

    // An encryption chosen: the usual port goes with it.
    void Option3_Click(int choice);

signals:
    // A saved password went into the keyring's `item`, or stayed in the
    // file (empty).
    void passwordPlaced(const QString& item);

private:
    void buildSecurityRow(QWidget* page, int left, int pageWidth);
    MailSecurity security() const;
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
