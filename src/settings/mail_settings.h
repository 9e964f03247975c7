#pragma once

#include <QString>

namespace kova {

// How an account's connection is protected, as stored: "0", "1", "2".
enum class MailSecurity { None = 0, StartTls = 1, Tls = 2 };

// How an account's mailbox is asked, as stored: "0" (or nothing) POP3, "1"
// IMAP.
enum class MailProtocol { Pop3 = 0, Imap = 1 };

// One mail account as its fields stand: port, server, account name,
// password, the encryption and the certificate the user trusts for it, and
// the protocol. An account takes part in a check when its account name is
// set. Its password is the field's, or when that is empty, the keyring item
// passwordKey names.
struct MailAccount {
    QString port;
    QString server;
    QString account;
    QString password;
    MailSecurity security = MailSecurity::None;
    // SHA-256 fingerprint of a certificate trusted although it cannot be
    // verified ("AB:CD:..."); empty when there is none.
    QString pinnedCertificate;
    MailProtocol protocol = MailProtocol::Pop3;
    // The keyring item holding the password; empty when the file holds it.
    // (Initialised, so that a list of the fields above is complete.)
    QString passwordKey = {};
};

constexpr int kMailAccountCount = 3;

// Whether an interval as typed asks for the automatic check: "0" or empty
// does not.
inline bool automaticCheckWanted(const QString& interval) {
    return !(interval.isEmpty() || interval == QLatin1String("0"));
}

// The live mail settings: the settings dialog's fields, unsaved edits
// included, read by the mail checker at the moment it starts. Plain values,
// so the mail code needs no widget of the dialog.
class MailSettings {
public:
    virtual ~MailSettings() = default;
    // i = 0, 1, 2.
    virtual MailAccount mailAccount(int i) const = 0;
    // The check interval in minutes as typed; "0" or empty: no automatic check.
    virtual QString interval() const = 0;
    // The minute counter of the automatic check.
    virtual QString minuteCounter() const = 0;
    virtual void setMinuteCounter(const QString& value) = 0;
    // The mail program's command line.
    virtual QString mailer() const = 0;
    // The user trusts this certificate for account i from now on: kept at
    // once, in the fields and in the settings file.
    virtual void pinCertificate(int i, const QString& fingerprint) = 0;
};

} // namespace kova
