#include "mail/keyring_password.h"

#include "platform/keyring.h"

#include <QTimer>

namespace kova {

KeyringPassword::KeyringPassword(QObject* parent) : QObject(parent) {}

void KeyringPassword::fetch(int i, const QString& key, bool byHand, Ready ready) {
    if (!listening_) {
        listening_ = true;
        connect(&Keyring::instance(), &Keyring::written, this, [this](const QString& written) {
            for (QString& failed : failed_)
                if (failed == written)
                    failed.clear();
        });
    }
    const quint64 generation = generation_;
    if (!byHand && failed_[size_t(i)] == key) {
        QTimer::singleShot(0, this, [this, generation, ready] {
            if (generation == generation_)
                ready(std::nullopt);
        });
        return;
    }
    Keyring::instance().read(
        key, this,
        [this, i, key, generation, ready](KeyringOutcome outcome, const QString& password) {
            if (generation != generation_)
                return;
            const bool ok = outcome == KeyringOutcome::Ok && !password.isEmpty();
            failed_[size_t(i)] = ok ? QString() : key;
            ready(ok ? std::optional<QString>(password) : std::nullopt);
        });
}

} // namespace kova
