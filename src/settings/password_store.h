#pragma once

#include "base/settings.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace kova {

// Where a mail account's password goes when the settings are saved: into
// the desktop's keyring where one answers, the settings file keeping the
// item's key ("b09", "b19", "b29") and no password; else into the file as of
// old (mode 0600). A password found in the file moves into the keyring at a
// save: written there, read back, and only then dropped from the file.

// Per account: the key that names the keyring item holding its password.
inline constexpr SettingKey kPasswordItemKeys[] = {a1::b09, a1::b19, a1::b29};

// The item of account i (0..2), as a user finds it in the keyring's window:
// "メール1 taro@pop.example.jp", filed under the service "KovaShell".
QString keyringItemKey(int i, const QString& user, const QString& server);

// An account's password at a save: the field as it stands, the field as
// loaded (or as last saved), and the keyring item holding it then.
struct PasswordState {
    QString field;
    QString loaded;
    QString item;
};

struct PasswordPlan {
    // Written with the save's other values.
    QList<SettingValue> fileValues;
    // Put the field into the keyring under this key, then point the file at
    // it; empty: nothing goes to the keyring.
    QString storeKey;
    // An item no longer used, removed after the save.
    QString removeKey;
};

// `keyringPresent` is asked only when a password is to be placed.
PasswordPlan planPassword(int i, const PasswordState& state, const QString& newItem,
                          const std::function<bool()>& keyringPresent);

// Carries out the keyring part of a saved plan, then writes the file's part.
// `done` (unless `context` is gone) gets the item that now holds the
// password, or an empty text when the file still does.
void storePassword(int i, const QString& password, const PasswordPlan& plan, QObject* context,
                   std::function<void(const QString& item)> done);

} // namespace kova
