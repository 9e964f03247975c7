// kovashell-keyring.so: the desktop's keyring through QtKeychain (the Secret
// Service, or KWallet on Plasma). Loaded by Keyring on first use.
#include "platform/keyring_backend.h"

#include <qt6keychain/keychain.h>

#include <dlfcn.h>

namespace {

using kova::KeyringBackend;
using kova::KeyringOutcome;

KeyringOutcome outcomeOf(QKeychain::Error error) {
    switch (error) {
    case QKeychain::NoError:
        return KeyringOutcome::Ok;
    case QKeychain::EntryNotFound:
        return KeyringOutcome::NotFound;
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        return KeyringOutcome::Refused;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        return KeyringOutcome::Unavailable;
    default:
        return KeyringOutcome::Failed;
    }
}

// libsecret keeps its connection to the Secret Service for the life of the
// process; after the keyring daemon restarted, its session is gone and every
// call fails. Dropped, it is made anew at the next call. (QtKeychain has
// opened libsecret by then, where it uses it; never opened here.)
bool reconnectSecretService() {
    void* secret = dlopen("libsecret-1.so.0", RTLD_NOW | RTLD_NOLOAD);
    if (secret == nullptr)
        return false;
    using Disconnect = void (*)();
    const auto disconnect =
        reinterpret_cast<Disconnect>(dlsym(secret, "secret_service_disconnect"));
    if (disconnect != nullptr)
        disconnect();
    dlclose(secret);
    return disconnect != nullptr;
}

class QtKeychainBackend : public KeyringBackend {
public:
    void start(Operation operation, const QString& service, const QString& key,
               const QString& secret, Done done) override {
        run(operation, service, key, secret, std::move(done), true);
    }

private:
    void run(Operation operation, const QString& service, const QString& key, const QString& secret,
             Done done, bool mayRetry) {
        QKeychain::Job* job = nullptr;
        switch (operation) {
        case Operation::Read:
            job = new QKeychain::ReadPasswordJob(service);
            break;
        case Operation::Write: {
            auto* write = new QKeychain::WritePasswordJob(service);
            write->setTextData(secret);
            job = write;
            break;
        }
        case Operation::Remove:
            job = new QKeychain::DeletePasswordJob(service);
            break;
        }
        job->setAutoDelete(true);
        // Never a plain file in place of the keyring: the settings file is
        // the fallback, and the caller decides on it.
        job->setInsecureFallback(false);
        job->setKey(key);
        QObject::connect(job, &QKeychain::Job::finished, [=, this](QKeychain::Job* finished) {
            const KeyringOutcome outcome = outcomeOf(finished->error());
            if (outcome == KeyringOutcome::Failed && mayRetry && reconnectSecretService()) {
                run(operation, service, key, secret, done, false);
                return;
            }
            if (outcome != KeyringOutcome::Ok)
                done(outcome, finished->errorString());
            else if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(finished))
                done(outcome, read->textData());
            else
                done(outcome, QString());
        });
        job->start();
    }
};

} // namespace

extern "C" __attribute__((visibility("default"))) kova::KeyringBackend* kovaKeyringBackend() {
    static QtKeychainBackend backend;
    return &backend;
}
