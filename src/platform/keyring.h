#pragma once

#include "platform/keyring_backend.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

namespace kova {

// The desktop's keyring (the Secret Service, or KWallet on Plasma), through
// the keyring module, which is loaded on the first call: nothing here runs at
// start. Every read and write is asynchronous and answers `context` later,
// unless `context` is gone by then. A locked keyring asks the user to unlock
// it by itself. What was read or written is kept in memory for this run, so
// that the minute's check does not ask again.
class Keyring : public QObject {
    Q_OBJECT
public:
    static Keyring& instance();
    // Every item of ours is filed under this service.
    static const QString kService;

    using ReadDone = std::function<void(KeyringOutcome, const QString& password)>;
    using Done = std::function<void(KeyringOutcome)>;
    void read(const QString& key, QObject* context, ReadDone done);
    void write(const QString& key, const QString& password, QObject* context, Done done);
    void remove(const QString& key, QObject* context, Done done);

    // A keyring service owns its name on the session bus, or starts when
    // called. One short question to the bus, never to the keyring itself.
    static bool present();
    // Tests: forget what was kept in memory.
    void forget() { known_.clear(); }

signals:
    // A password went into the keyring under this key.
    void written(const QString& key);

private:
    Keyring() = default;
    KeyringBackend* backend();
    void start(KeyringBackend::Operation operation, const QString& key, const QString& secret,
               QObject* context, KeyringBackend::Done done);

    bool loaded_ = false;
    KeyringBackend* backend_ = nullptr;
    QHash<QString, QString> known_;
};

} // namespace kova
