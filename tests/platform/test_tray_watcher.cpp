#include "platform/tray_watcher.h"

#include "support/private_session_bus.h"

#include <QSignalSpy>
#include <QTest>

using kova::TrayWatcher;
using kova::test::FakeNotifierWatcher;

// A status-notifier host (KDE, LXQt, Xfce, GNOME's AppIndicator extension)
// is known by its watcher on the session bus, which says whether a host
// shows the items: a private bus here, with a watcher of the test's own.
class TestTrayWatcher : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!bus_.start())
            QSKIP("dbus-daemon is not installed");
    }

    void notifierHostComingAndGoingIsTold() {
        FakeNotifierWatcher panel(bus_.address());
        panel.setHostRegistered(false);
        TrayWatcher watcher;
        QVERIFY(!watcher.trayAvailable());
        QSignalSpy changes(&watcher, &TrayWatcher::changed);

        // A watcher whose host has not come (yet) shows nothing.
        QVERIFY(panel.show());
        QVERIFY(!TrayWatcher().trayAvailable());
        panel.setHostRegistered(true);
        QTRY_COMPARE(changes.size(), 1);
        QVERIFY(watcher.trayAvailable());
        QVERIFY(watcher.notifierHostAvailable());
        QVERIFY(!watcher.xembedAvailable());
        // One already there when the program starts counts too.
        QVERIFY(TrayWatcher().trayAvailable());

        panel.hide();
        QTRY_COMPARE(changes.size(), 2);
        QVERIFY(!watcher.trayAvailable());
    }

private:
    kova::test::PrivateSessionBus bus_;
};

QTEST_MAIN(TestTrayWatcher)
#include "test_tray_watcher.moc"
