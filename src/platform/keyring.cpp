#include "platform/keyring.h"

#include "base/logging.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QLibrary>
#include <QPointer>
#include <QTimer>

namespace kova {

using namespace Qt::StringLiterals;

const QString Keyring::kService = u"KovaShell"_s;

namespace {

// The names the module's keyring library talks to.
const QString kKeyringNames[] = {u"org.freedesktop.secrets"_s, u"org.kde.kwalletd5"_s,
                                 u"org.kde.kwalletd6"_s};

const char* nameOf(KeyringOutcome outcome) {
    switch (outcome) {
    case KeyringOutcome::Ok:
        return "ok";
    case KeyringOutcome::NotFound:
        return "no such item";
    case KeyringOutcome::Refused:
        return "locked or refused";
    case KeyringOutcome::Unavailable:
        return "no keyring";
    case KeyringOutcome::Failed:
        break;
    }
    return "failed";
}

} // namespace

Keyring& Keyring::instance() {
    // Made on first use, after the application object; never at start.
    static Keyring* keyring = [] {
        auto* made = new Keyring;
        made->setParent(QCoreApplication::instance());
        return made;
    }();
    return *keyring;
}

bool Keyring::present() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr)
        return false;
    QDBusConnectionInterface* daemon = bus.interface();
    for (const QString& name : kKeyringNames)
        if (daemon->isServiceRegistered(name).value())
            return true;
    // A Secret Service the bus would start counts; a KWallet only when it
    // runs: outside Plasma the keyring library asks the Secret Service, and
    // an installed but idle kwalletd would not be asked.
    const QDBusReply<QStringList> startable = daemon->activatableServiceNames();
    return startable.isValid() && startable.value().contains(kKeyringNames[0]);
}

KeyringBackend* Keyring::backend() {
    if (!loaded_) {
        loaded_ = true;
        // Beside the program, as installed; never from a search path.
        QLibrary module(QCoreApplication::applicationDirPath() + u'/' +
                        QLatin1String(kKeyringModule));
        const auto entry = reinterpret_cast<KeyringEntry>(module.resolve(kKeyringEntry));
        if (entry != nullptr)
            backend_ = entry();
        else
            qCWarning(kovaLog, "keyring: %s", qUtf8Printable(module.errorString()));
    }
    return backend_;
}

void Keyring::start(KeyringBackend::Operation operation, const QString& key, const QString& secret,
                    QObject* context, KeyringBackend::Done done) {
    const QPointer<QObject> receiver(context);
    KeyringBackend::Done answer = [receiver, done, operation](KeyringOutcome outcome,
                                                              const QString& value) {
        if (outcome != KeyringOutcome::Ok)
            qCWarning(kovaLog, "keyring: %s of an item: %s (%s)",
                      operation == KeyringBackend::Operation::Read    ? "read"
                      : operation == KeyringBackend::Operation::Write ? "write"
                                                                      : "removal",
                      nameOf(outcome), qUtf8Printable(value));
        if (receiver)
            done(outcome, value);
    };
    KeyringBackend* keyring = backend();
    if (keyring == nullptr) {
        // Answered later all the same, as the module would.
        QTimer::singleShot(0, this, [answer] {
            answer(KeyringOutcome::Unavailable, u"the keyring module cannot be loaded"_s);
        });
        return;
    }
    keyring->start(operation, kService, key, secret, answer);
}

void Keyring::read(const QString& key, QObject* context, ReadDone done) {
    const auto kept = known_.constFind(key);
    if (kept != known_.constEnd()) {
        const QString password = *kept;
        QTimer::singleShot(0, context, [done, password] { done(KeyringOutcome::Ok, password); });
        return;
    }
    start(KeyringBackend::Operation::Read, key, QString(), context,
          [this, key, done](KeyringOutcome outcome, const QString& value) {
              if (outcome == KeyringOutcome::Ok)
                  known_.insert(key, value);
              done(outcome, outcome == KeyringOutcome::Ok ? value : QString());
          });
}

void Keyring::write(const QString& key, const QString& password, QObject* context, Done done) {
    known_.remove(key);
    start(KeyringBackend::Operation::Write, key, password, context,
          [this, key, done](KeyringOutcome outcome, const QString&) {
              if (outcome == KeyringOutcome::Ok)
                  emit written(key);
              done(outcome);
          });
}

void Keyring::remove(const QString& key, QObject* context, Done done) {
    known_.remove(key);
    start(KeyringBackend::Operation::Remove, key, QString(), context,
          [done](KeyringOutcome outcome, const QString&) { done(outcome); });
}

} // namespace kova
