#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

class QDBusServiceWatcher;

namespace kova {

// Tells whether a tray host is there (an XEmbed tray manager owning
// _NET_SYSTEM_TRAY_S<n>, or a status-notifier watcher on the session bus
// with a host that shows its items) and when that changes. Nothing is
// polled: the manager announces itself on the root window, its window's
// destruction says it went, the bus tells of the watcher's name, and the
// watcher of hosts coming and going.
class TrayWatcher : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit TrayWatcher(QObject* parent = nullptr);
    ~TrayWatcher() override;

    bool trayAvailable() const { return xembedAvailable() || notifierHostAvailable(); }
    bool xembedAvailable() const { return xembedOwner_ != 0; }
    // A watcher alone (KDE's daemon outside Plasma) shows nothing.
    bool notifierHostAvailable() const { return notifierWatcher_ && notifierHost_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    // Either kind of tray came or went.
    void changed();

private:
    void followOwner(quint32 owner);
    void watchNotifierHosts();
    Q_SLOT void askNotifierHost();
    void setNotifier(bool watcher, bool host);

    quint32 selection_ = 0;
    quint32 manager_ = 0;
    quint32 xembedOwner_ = 0;
    bool notifierWatcher_ = false;
    bool notifierHost_ = false;
    QDBusServiceWatcher* bus_ = nullptr;
};

} // namespace kova
