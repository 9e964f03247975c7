#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

class QDBusServiceWatcher;

namespace kova {

// Tells whether a tray host is there (an XEmbed tray manager owning
// _NET_SYSTEM_TRAY_S<n>, or a status-notifier watcher on the session bus) and
// when that changes. Nothing is polled: the manager announces itself on the
// root window, its window's destruction says it went, and the bus tells of
// the watcher's name.
class TrayWatcher : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit TrayWatcher(QObject* parent = nullptr);
    ~TrayWatcher() override;

    bool trayAvailable() const { return xembedOwner_ != 0 || notifierWatcher_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void availabilityChanged(bool available);

private:
    void followOwner(quint32 owner);
    void report(bool before);

    quint32 selection_ = 0;
    quint32 manager_ = 0;
    quint32 xembedOwner_ = 0;
    bool notifierWatcher_ = false;
    QDBusServiceWatcher* bus_ = nullptr;
};

} // namespace kova
