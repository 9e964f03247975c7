// The notes as the whole program starts them: restored by the main window's
// start-up and reached through its tray menu and note menu.

#include "core/main_window.h"
#include "core/tray_menus.h"
#include "note_fixtures.h"
#include "notes/note_board.h"
#include "notes/note_editor.h"
#include "support/running_program.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

using namespace kova;
using namespace kova::test;

class TestNoteStartup : public QObject {
    Q_OBJECT
private slots:
    void startUpRestoresNotesWithTheirTrayEntries();
    void trayEntryBringsTheHiddenNoteBack();
    void noteMenuActsOnThePressedNote();
    void newNoteItemOpensTheEditorOnce();
};

void TestNoteStartup::startUpRestoresNotesWithTheirTrayEntries() {
    RunningProgram run(RunningProgram::Later);
    storeNote(run.home, 0, noteFields(150, 150));
    storeNote(run.home, 2, noteFields(300, 300, QStringLiteral("False")),
              QStringLiteral("隠れたメモです"));
    storeNote(run.home, 3, noteFields(0, 0));
    QFile::remove(run.home.file(QStringLiteral("KovaShell3.log")));
    QVERIFY(run.start());
    Form1& form = run.form;
    QVERIFY(run.platform.messages.contains(QStringLiteral("KovaShell3.logが見つかりません")));
    QCOMPARE(form.notes().noteWindowCount(), 2);
    QVERIFY(form.notes().NoteWindows(1)->isVisible());
    QVERIFY(form.notes().NoteWindows(2)->isHidden());
    QCOMPARE(form.notes().EditedNoteNumber, kNewNoteNumber);

    QAction* entry = form.menus().fusenVisible(2);
    QVERIFY(entry);
    QVERIFY(entry->isVisible());
    QCOMPARE(entry->text(), QStringLiteral("隠れたメモです(非表示タグ)"));
    // Between the separator after "[新規作成]" and the one before "(設定)".
    const QList<QAction*> items = form.menus().mnuFusenshi->actions();
    QVERIFY(items.indexOf(form.menus().mnuLine356) < items.indexOf(entry));
    QVERIFY(items.indexOf(entry) < items.indexOf(form.menus().mnuLine04));
}

void TestNoteStartup::trayEntryBringsTheHiddenNoteBack() {
    RunningProgram run(RunningProgram::Later);
    storeNote(run.home, 2, noteFields(300, 300, QStringLiteral("False")));
    QVERIFY(run.start());
    Form1& form = run.form;
    form.menus().fusenVisible(2)->trigger();
    QCOMPARE(form.notes().noteWindowCount(), 1);
    QVERIFY(form.notes().NoteWindows(1)->isVisible());
    QCOMPARE(form.notes().NoteWindows(1)->Text3, 2);
    QVERIFY(!form.menus().fusenVisible(2)->isVisible());
    QCOMPARE(run.home.read(QStringLiteral("KovaShell2.hsn")), fieldFile(noteFields(300, 300)));
}

void TestNoteStartup::noteMenuActsOnThePressedNote() {
    RunningProgram run(RunningProgram::Later);
    storeNote(run.home, 0, noteFields(150, 150));
    storeNote(run.home, 1, noteFields(1500, 1500));
    QVERIFY(run.start());
    Form1& form = run.form;
    Form5a* first = form.notes().NoteWindows(1);
    const QPointF global(first->mapToGlobal(QPoint(1, 1)));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), global, Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(first, &press);
    QVERIFY(form.menus().mnuFusen->isVisible());
    form.menus().mnuFusen->hide();
    form.menus().mnuFusenTOPMOST->trigger();
    QCOMPARE(run.home.read(QStringLiteral("KovaShell0.hsn")),
             fieldFile(noteFields(150, 150, QStringLiteral("True"), QStringLiteral("True"))));
    QCOMPARE(run.home.read(QStringLiteral("KovaShell1.hsn")), fieldFile(noteFields(1500, 1500)));
    QCOMPARE(first->stacking(), NoteStacking::TopMost);
}

void TestNoteStartup::newNoteItemOpensTheEditorOnce() {
    RunningProgram run;
    QVERIFY(run.started);
    Form1& form = run.form;
    form.menus().mnuNewHusen->trigger();
    QVERIFY(form.notes().editorVisible());
    form.menus().mnuNewHusen->trigger();
    QCOMPARE(run.platform.messages, QStringList{QStringLiteral("他のタグを編集中です。")});
    form.notes().editorWindow()->close();
    QVERIFY(!form.notes().editorVisible());
}

QTEST_MAIN(TestNoteStartup)
#include "test_note_startup.moc"
