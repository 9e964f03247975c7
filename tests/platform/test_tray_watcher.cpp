#include "platform/tray_watcher.h"

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using kova::TrayWatcher;

// A status-notifier host (KDE, GNOME's AppIndicator extension, waybar ...)
// is known by its watcher's name on the session bus: a private bus here, on
// which this test takes and gives up that name as such a host would.
class TestTrayWatcher : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
        if (!bus_.waitForStarted())
            QSKIP("dbus-daemon is not installed");
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

    void notifierWatcherComingAndGoingIsTold() {
        const QString name = QStringLiteral("org.kde.StatusNotifierWatcher");
        TrayWatcher watcher;
        QVERIFY(!watcher.trayAvailable());
        QSignalSpy changes(&watcher, &TrayWatcher::availabilityChanged);

        QVERIFY(QDBusConnection::sessionBus().registerService(name));
        QTRY_COMPARE(changes.size(), 1);
        QCOMPARE(changes.at(0).at(0).toBool(), true);
        QVERIFY(watcher.trayAvailable());
        // One already there when the program starts counts too.
        QVERIFY(TrayWatcher().trayAvailable());

        QVERIFY(QDBusConnection::sessionBus().unregisterService(name));
        QTRY_COMPARE(changes.size(), 2);
        QCOMPARE(changes.at(1).at(0).toBool(), false);
        QVERIFY(!watcher.trayAvailable());
    }

private:
    QProcess bus_;
};

QTEST_MAIN(TestTrayWatcher)
#include "test_tray_watcher.moc"
