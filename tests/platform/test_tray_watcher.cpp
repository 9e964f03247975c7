#include "platform/tray_watcher.h"

#include "support/skip.h"

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using kova::TrayWatcher;

// A status-notifier watcher as a panel runs one (KDE, LXQt, Xfce ...): it
// says whether a host shows the items.
class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered MEMBER host)
public:
    bool host = false;
signals:
    Q_SCRIPTABLE void StatusNotifierHostRegistered();
};

// A status-notifier host is known by its watcher on the session bus: a
// private bus here, on which this test takes and gives up the watcher's
// name as a panel would.
class TestTrayWatcher : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
        if (!bus_.waitForStarted())
            KOVA_SKIP_PROGRAM("dbus-daemon is not installed");
        QVERIFY(bus_.waitForReadyRead(5000));
        const QByteArray address = bus_.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        // Read when the session connection is first made, just below.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void cleanupTestCase() {
        bus_.kill();
        bus_.waitForFinished();
    }

    void notifierHostComingAndGoingIsTold() {
        const QString name = QStringLiteral("org.kde.StatusNotifierWatcher");
        QDBusConnection bus = QDBusConnection::sessionBus();
        Watcher panel;
        QVERIFY(bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &panel,
                                   QDBusConnection::ExportAllContents));
        TrayWatcher watcher;
        QVERIFY(!watcher.trayAvailable());
        QSignalSpy changes(&watcher, &TrayWatcher::changed);

        // A watcher without a host (KDE's daemon outside Plasma) shows nothing.
        QVERIFY(bus.registerService(name));
        QVERIFY(!TrayWatcher().trayAvailable());
        panel.host = true;
        emit panel.StatusNotifierHostRegistered();
        QTRY_COMPARE(changes.size(), 1);
        QVERIFY(watcher.trayAvailable());
        QVERIFY(watcher.notifierHostAvailable());
        // One already there when the program starts counts too.
        QVERIFY(TrayWatcher().trayAvailable());

        QVERIFY(bus.unregisterService(name));
        QTRY_COMPARE(changes.size(), 2);
        QVERIFY(!watcher.trayAvailable());
    }

private:
    QProcess bus_;
};

KOVA_TEST_MAIN(TestTrayWatcher)
#include "test_tray_watcher.moc"
