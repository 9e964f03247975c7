#include "base/twips_and_numbers.h"
#include "core/main_window.h"
#include "notes/note_board.h"
#include "notes/posted_note_window.h"
#include "platform/screen_placement.h"
#include "settings/settings_dialog.h"

#include "support/running_program.h"

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
        FixedScreenAreas screens({kLeft, kRight});
        test::RunningProgram run(test::RunningProgram::Later);
        // A note on the right-hand monitor at (2400, 300).
        const QByteArray fields = "\"Sans\"\r\n\"9\"\r\n\"False\"\r\n\"False\"\r\n\"&HFFFFFF\"\r\n"
                                  "\"&H0\"\r\n\"True\"\r\n\"4500\"\r\n\"36000\"\r\n\"\"\r\n\"\"\r\n"
                                  "\"\"\r\n\"\"\r\n\"\"\r\n\"False\"\r\n";
        run.home.write("KovaShell0.hsn", fields);
        run.home.write("KovaShell0.log", "memo\r\n");
        QVERIFY(run.start());
        Form1& form = run.form;
        Form5a* note = form.notes().NoteWindows(1);
        QVERIFY(note != nullptr);
        QCOMPARE(note->pos(), QPoint(2400, 300));

        screens.set({kLeft}); // the monitor is unplugged
        form.rescueWindows();
        QVERIFY(kLeft.contains(QRect(note->pos(), note->size())));
        QCOMPARE(note->pos().y(), 300);
        // The files keep the place the user chose.
        QCOMPARE(note->leftTwips(), 36000);
        QCOMPARE(run.home.read("KovaShell0.hsn"), fields);

        screens.set({kLeft, kRight}); // and plugged in again, as Qt tells it
        QScreen* screen = QGuiApplication::primaryScreen();
        emit screen->availableGeometryChanged(screen->availableGeometry());
        QCOMPARE(note->pos(), QPoint(2400, 300));
    }

    void dialogsOffEveryScreenComeBack() {
        FixedScreenAreas screens({kLeft, kRight});
        test::RunningProgram run;
        QVERIFY(run.started);
        Form1& form = run.form;
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
