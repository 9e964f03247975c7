#pragma once

#include "base/settings.h"
#include "settings/mail_settings.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>

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
    // The values "OK" and "適用" save, in the order they are written.
    QList<SettingValue> settingValues() const;
    // After a save: a trusted certificate of another server is gone.
    void saved();

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
};

} // namespace kova
