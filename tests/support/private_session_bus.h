#pragma once

#include <QDBusConnection>
#include <QMutex>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <atomic>

namespace kova::test {

// A dbus-daemon of the test's own, made the session bus of the process.
// Start it before anything uses the session bus: Qt connects once.
class PrivateSessionBus {
public:
    // False (and the test should skip) when dbus-daemon is not installed.
    bool start();
    ~PrivateSessionBus();
    QByteArray address() const { return address_; }

private:
    QProcess daemon_;
    QByteArray address_;
};

// A status-notifier watcher as a panel runs one: it owns the watcher's name
// while shown, tells whether a host is registered, and records the items
// that register with it. It answers from a thread and a connection of its
// own, so that the program's blocking calls to it are answered.
class FakeNotifierWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
public:
    explicit FakeNotifierWatcher(const QByteArray& address);
    ~FakeNotifierWatcher() override;

    bool show();
    void hide();
    bool hostRegistered() const { return host_; }
    void setHostRegistered(bool registered);
    QStringList items() const;

public slots:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString& service);

signals:
    Q_SCRIPTABLE void StatusNotifierHostRegistered();
    Q_SCRIPTABLE void StatusNotifierHostUnregistered();

private:
    QThread thread_;
    QDBusConnection bus_;
    std::atomic<bool> host_ = true;
    mutable QMutex mutex_;
    QStringList items_;
};

} // namespace kova::test
