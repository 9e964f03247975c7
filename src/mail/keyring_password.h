#pragma once

#include "settings/mail_settings.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace kova {

// The password of an account whose field is empty because the keyring holds
// it, asked for when its dialogue is about to start. A locked keyring asks
// the user to unlock it; once that failed, a check of the minute timer does
// not ask again (no prompt a minute) until the user checks by hand or the
// password is saved anew.
class KeyringPassword : public QObject {
    Q_OBJECT
public:
    explicit KeyringPassword(QObject* parent = nullptr);

    using Ready = std::function<void(std::optional<QString> password)>;
    // Answers later, never before returning.
    void fetch(int i, const QString& key, bool byHand, Ready ready);
    // The run was called off: answers still on their way are dropped.
    void callOff() { ++generation_; }

private:
    quint64 generation_ = 0;
    // Told of new passwords; the keyring is not reached before the first.
    bool listening_ = false;
    // Per account: the item that could not be read, until asked by hand.
    std::array<QString, kMailAccountCount> failed_;
};

} // namespace kova
