#include "support/private_session_bus.h"

#include <QMutexLocker>

namespace kova::test {

namespace {
const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
}

bool PrivateSessionBus::start() {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted() || !daemon_.waitForReadyRead(5000))
        return false;
    address_ = daemon_.readLine().trimmed();
    // Read when the session connection is first made.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_);
    return !address_.isEmpty() && QDBusConnection::sessionBus().isConnected();
}

PrivateSessionBus::~PrivateSessionBus() {
    daemon_.kill();
    daemon_.waitForFinished();
}

FakeNotifierWatcher::FakeNotifierWatcher(const QByteArray& address)
    : bus_(QDBusConnection::connectToBus(QString::fromLatin1(address),
                                         QStringLiteral("fake-notifier-watcher"))) {
    moveToThread(&thread_);
    thread_.start();
}

FakeNotifierWatcher::~FakeNotifierWatcher() {
    hide();
    thread_.quit();
    thread_.wait();
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-notifier-watcher"));
}

bool FakeNotifierWatcher::show() {
    return bus_.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                               QDBusConnection::ExportScriptableContents |
                                   QDBusConnection::ExportAllProperties) &&
           bus_.registerService(kWatcher);
}

void FakeNotifierWatcher::hide() {
    bus_.unregisterService(kWatcher);
    bus_.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    QMutexLocker lock(&mutex_);
    items_.clear();
}

void FakeNotifierWatcher::setHostRegistered(bool registered) {
    host_ = registered;
    if (registered)
        emit StatusNotifierHostRegistered();
    else
        emit StatusNotifierHostUnregistered();
}

QStringList FakeNotifierWatcher::items() const {
    QMutexLocker lock(&mutex_);
    return items_;
}

void FakeNotifierWatcher::RegisterStatusNotifierItem(const QString& service) {
    QMutexLocker lock(&mutex_);
    items_ << service;
}

} // namespace kova::test
