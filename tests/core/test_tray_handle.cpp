#include "base/settings.h"
#include "core/main_window.h"
#include "core/tray_handle.h"
#include "core/tray_menus.h"
#include "platform/screen_placement.h"

#include "support/fake_platform.h"
#include "support/running_program.h"
#include "support/temp_home.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kova;

namespace {

const QRect kPrimary(0, 0, 1920, 1080);
const QRect kRight(1920, 0, 1280, 1024);

// A mouse event as the window system delivers it, at a global position.
void send(QWidget* w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held,
          QPoint global) {
    QMouseEvent event(type, w->mapFromGlobal(global), global, button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void drag(QWidget* w, QPoint from, QPoint to) {
    send(w, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, from);
    send(w, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, (from + to) / 2);
    send(w, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, to);
    send(w, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, to);
}

// The program started without a tray host, its wait for one cut short.
struct WithoutTray {
    WithoutTray() {
        platform.tray = false;
        form.setTrayWait(10);
        started = form.Form_Load({});
    }
    test::FakePlatform platform;
    FixedScreenAreas screens{{kPrimary, kRight}};
    Form1 form;
    bool started = false;
};

} // namespace

class TestTrayHandle : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->hide();
    }

    void handleStandsInForTheTrayIconAfterTheWait() {
        test::TempHome home;
        WithoutTray run;
        QVERIFY(run.started);
        QVERIFY(run.form.trayHandle() == nullptr);
        QTRY_VERIFY(run.form.trayHandle() != nullptr && run.form.trayHandle()->isVisible());
        TrayHandle* handle = run.form.trayHandle();
        QCOMPARE(handle->geometry(), QRect(1920 - 32, 0, 32, 32));
        QCOMPARE(handle->toolTip(), u"KovaShell"_s);

        // A right press opens the tray menu; the left double-click is the
        // tray's: it counts the desktop icon command up when switching is on.
        const QPoint middle = handle->geometry().center();
        send(handle, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, middle);
        QVERIFY(run.form.menus().mnu->isVisible());
        run.form.menus().mnu->hide();
        WriteSetting(a1::b7, u"True"_s);
        send(handle, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, middle);
        QCOMPARE(ReadSetting(desktop::click), u"1"_s);
    }

    void droppedHandleKeepsItsPlaceAndStaysOnAScreen() {
        test::TempHome home;
        QPoint dropped;
        {
            WithoutTray run;
            QTRY_VERIFY(run.form.trayHandle() != nullptr && run.form.trayHandle()->isVisible());
            TrayHandle* handle = run.form.trayHandle();
            // A click without a move is no drag: nothing is stored.
            send(handle, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {1900, 10});
            send(handle, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {1900, 10});
            QVERIFY(ReadSetting(handle::Left).isEmpty());

            drag(handle, {1900, 10}, {2400, 510});
            dropped = handle->pos();
            QCOMPARE(dropped, QPoint(2400 - 12, 510 - 10));
            // Twips, 15 to the pixel, as every other place in the file.
            QCOMPARE(ReadSetting(handle::Left), QString::number(dropped.x() * 15));
            QCOMPARE(ReadSetting(handle::Top), QString::number(dropped.y() * 15));

            // Dropped half off the last screen: pulled wholly onto it.
            drag(handle, dropped + QPoint(12, 10), {3195, 1020});
            QCOMPARE(handle->geometry(), QRect(3200 - 32, 1024 - 32, 32, 32));
            drag(handle, handle->pos() + QPoint(12, 10), dropped + QPoint(12, 10));
        }
        {
            // Next run: where it was dropped; the screen unplugged: onto the other.
            WithoutTray run;
            QTRY_VERIFY(run.form.trayHandle() != nullptr && run.form.trayHandle()->isVisible());
            QCOMPARE(run.form.trayHandle()->pos(), dropped);
            run.screens.set({kPrimary});
            run.form.rescueWindows();
            QVERIFY(kPrimary.intersects(run.form.trayHandle()->frameGeometry()));
        }
    }

    void trayAtStartMeansNoHandle() {
        test::RunningProgram run(test::RunningProgram::Later);
        run.form.setTrayWait(10);
        QVERIFY(run.start());
        QTest::qWait(50);
        QVERIFY(run.form.trayHandle() == nullptr);
    }
};

QTEST_MAIN(TestTrayHandle)
#include "test_tray_handle.moc"
