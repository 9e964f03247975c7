#include "core/main_window.h"
#include "notes/note_board.h"
#include "notes/posted_note_window.h"
#include "platform/screen_placement.h"
#include "platform/twips_and_numbers.h"
#include "settings/settings_dialog.h"

#include "support/fake_platform.h"
#include "support/temp_home.h"

#include <QScreen>
#include <QTest>

using namespace kova;

namespace {
const QRect kLeft(0, 0, 1920, 1080);
const QRect kRight(1920, 0, 1280, 1024);
} // namespace

class TestScreenRescue : public QObject {
    Q_OBJECT
private slots:
    void noteGoesOntoAScreenWhenItsOwnIsUnpluggedAndBackWhenItReturns() {
        test::TempHome home;
        test::FakePlatform platform;
        FixedScreenAreas screens({kLeft, kRight});
        // A note on the right-hand monitor at (2400, 300).
        const QByteArray fields = "\"Sans\"\r\n\"9\"\r\n\"False\"\r\n\"False\"\r\n\"&HFFFFFF\"\r\n"
                                  "\"&H0\"\r\n\"True\"\r\n\"4500\"\r\n\"36000\"\r\n\"\"\r\n\"\"\r\n"
                                  "\"\"\r\n\"\"\r\n\"\"\r\n\"False\"\r\n";
        home.write("KovaShell0.hsn", fields);
        home.write("KovaShell0.log", "memo\r\n");
        Form1 form;
        QVERIFY(form.Form_Load({}));
        Form5a* note = form.notes().NoteWindows(1);
        QVERIFY(note != nullptr);
        QCOMPARE(note->pos(), QPoint(2400, 300));

        screens.set({kLeft}); // the monitor is unplugged
        form.rescueWindows();
        QVERIFY(kLeft.contains(QRect(note->pos(), note->size())));
        QCOMPARE(note->pos().y(), 300);
        // The files keep the place the user chose.
        QCOMPARE(note->leftTwips(), 36000);
        QCOMPARE(home.read("KovaShell0.hsn"), fields);

        screens.set({kLeft, kRight}); // and plugged in again, as Qt tells it
        QScreen* screen = QGuiApplication::primaryScreen();
        emit screen->availableGeometryChanged(screen->availableGeometry());
        QCOMPARE(note->pos(), QPoint(2400, 300));
    }

    void dialogsOffEveryScreenComeBack() {
        test::TempHome home;
        test::FakePlatform platform;
        FixedScreenAreas screens({kLeft, kRight});
        Form1 form;
        QVERIFY(form.Form_Load({}));
        form.openSettings(0);
        QWidget* dialog = form.settingsDialog();
        dialog->move(2500, 200);
        screens.set({kLeft});
        form.rescueWindows();
        QVERIFY(kLeft.intersects(dialog->frameGeometry()));
        dialog->close();
    }
};

QTEST_MAIN(TestScreenRescue)
#include "test_screen_rescue.moc"
