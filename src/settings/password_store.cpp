#include "settings/password_store.h"

#include "base/logging.h"
#include "platform/keyring.h"

#include <QPointer>

#include <memory>

namespace kova {

using namespace Qt::StringLiterals;

namespace {

const SettingKey kPasswordKeys[] = {a1::b04, a1::b14, a1::b24};

// The file's part once the keyring has answered: the item and no password,
// or the password and no item.
bool pointFileAt(int i, const QString& item, const QString& password) {
    return WriteSettings({settingValue(kPasswordKeys[i], item.isEmpty() ? password : QString()),
                          settingValue(kPasswordItemKeys[i], item)});
}

} // namespace

QString keyringItemKey(int i, const QString& user, const QString& server) {
    return u"メール%1 %2@%3"_s.arg(i + 1).arg(user.trimmed(), server.trimmed());
}

PasswordPlan planPassword(int i, const PasswordState& state, const QString& newItem,
                          const std::function<bool()>& keyringPresent) {
    PasswordPlan plan;
    // Untouched and in the keyring: the item stays, whatever was renamed.
    if (state.field == state.loaded && !state.item.isEmpty())
        return plan;
    if (state.field.isEmpty() || !keyringPresent()) {
        plan.fileValues << settingValue(kPasswordKeys[i], state.field);
        if (!state.item.isEmpty())
            plan.fileValues << settingValue(kPasswordItemKeys[i], QString());
        // Emptied by the user: the item goes too.
        if (state.field.isEmpty())
            plan.removeKey = state.item;
        return plan;
    }
    // The file keeps what it holds until the keyring has the new password.
    plan.storeKey = newItem;
    if (!state.item.isEmpty() && state.item != newItem)
        plan.removeKey = state.item;
    return plan;
}

void storePassword(int i, const QString& password, const PasswordPlan& plan, QObject* context,
                   std::function<void(const QString& item)> done) {
    Keyring& keyring = Keyring::instance();
    const QPointer<QObject> receiver(context);
    const auto finish = [receiver, done](const QString& item) {
        if (receiver)
            done(item);
    };
    const QString oldItem = plan.removeKey;
    const auto removeOld = [oldItem] {
        if (!oldItem.isEmpty())
            Keyring::instance().remove(oldItem, &Keyring::instance(), [](KeyringOutcome) {});
    };
    if (plan.storeKey.isEmpty()) {
        removeOld();
        return;
    }
    const QString item = plan.storeKey;
    // The file is the fallback: a keyring that refuses or fails leaves the
    // password there, never nowhere.
    const auto keepInFile = [i, password, finish] {
        if (!pointFileAt(i, QString(), password))
            qCWarning(kovaLog, "mail account %d: the password is in neither keyring nor file",
                      i + 1);
        finish(QString());
    };
    keyring.write(item, password, &keyring, [=, &keyring](KeyringOutcome written) {
        if (written != KeyringOutcome::Ok) {
            keepInFile();
            return;
        }
        keyring.read(item, &keyring, [=](KeyringOutcome read, const QString& stored) {
            if (read != KeyringOutcome::Ok || stored != password) {
                keepInFile();
                return;
            }
            if (!pointFileAt(i, item, password)) {
                // The file still holds what it held; so does the keyring.
                finish(QString());
                return;
            }
            removeOld();
            finish(item);
        });
    });
}

} // namespace kova
