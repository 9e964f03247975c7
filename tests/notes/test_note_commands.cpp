#include "note_fixtures.h"
#include "notes/note_board.h"
#include "notes/note_editor.h"
#include "notes/note_store.h"
#include "support/fake_platform.h"
#include "support/read_only_folder.h"
#include "support/temp_home.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QTest>

using namespace kova;
using namespace kova::test;

namespace {

void rightPress(Form5a* w) {
    const QPointF global(w->mapToGlobal(QPoint(1, 1)));
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(1, 1), global, Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

QByteArray zOrderFile(const QString& state) {
    return fieldFile(noteFields(150, 300, QStringLiteral("True"), state));
}

} // namespace

class TestNoteCommands : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
    }
    void zOrderItemsSwitchTheirStateAndTheFile_data();
    void zOrderItemsSwitchTheirStateAndTheFile();
    void zOrderItemOnA14LineFileAddsTheFifteenthLine();
    void rightPressChecksTheZOrderItems_data();
    void rightPressChecksTheZOrderItems();
    void reassertPassLeavesHiddenNotesHidden();
    void hideWritesFalseAndAddsTheTrayEntry();
    void hiddenNoteStaysHiddenAfterRestart();
    void showingAHiddenNoteBringsItBack();
    void showingAStartUpHiddenNoteLeavesOneWindow();
    void noteZeroUsesThePreExistingEntry();
    void removeAsksFirstAndNoKeepsEverything();
    void removeDeletesBothFilesAndFreesTheNumber();
    void removeOnAReadOnlyFolderTellsAndKeepsTheNote();
    void removingTheMiddleNoteRenumbersTheOthers();
    void newNoteRefusedWhenAllNumbersAreUsed();
    void editTakesTheNoteOffTheDesktopWhileTheEditorIsOpen();
    void failedFieldChangeLeavesTheWindowAsItWas();
    void hiddenCaptionTakesSevenCharacters_data();
    void hiddenCaptionTakesSevenCharacters();
    void hiddenEntryShowsAmpersandsLiterally();
};

void TestNoteCommands::zOrderItemsSwitchTheirStateAndTheFile_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("stacking");
    const int normal = int(NoteStacking::Normal);
    const int top = int(NoteStacking::TopMost);
    const int back = int(NoteStacking::BackMost);
    QTest::newRow("normal, top-most") << "False"
                                      << "top"
                                      << "True" << top;
    QTest::newRow("top-most, top-most") << "True"
                                        << "top"
                                        << "False" << normal;
    QTest::newRow("back-most, top-most") << "0"
                                         << "top"
                                         << "True" << top;
    QTest::newRow("normal, back-most") << "False"
                                       << "back"
                                       << "0" << back;
    QTest::newRow("back-most, back-most") << "0"
                                          << "back"
                                          << "False" << normal;
    QTest::newRow("top-most, back-most") << "True"
                                         << "back"
                                         << "0" << back;
}

void TestNoteCommands::zOrderItemsSwitchTheirStateAndTheFile() {
    QFETCH(QString, from);
    QFETCH(QString, item);
    QFETCH(QString, to);
    QFETCH(int, stacking);
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    storeNote(home, 3, noteFields(150, 300, "True", from));
    const QByteArray text = home.read(QStringLiteral("KovaShell3.log"));
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    Form5a* w = board.NoteWindows(1);
    (item == QLatin1String("top") ? menus.top : menus.back)->trigger();
    QCOMPARE(w->Text9, to);
    QCOMPARE(int(w->stacking()), stacking);
    QCOMPARE(bool(w->windowFlags() & Qt::WindowStaysOnTopHint),
             stacking == int(NoteStacking::TopMost));
    QCOMPARE(bool(w->windowFlags() & Qt::WindowStaysOnBottomHint),
             stacking == int(NoteStacking::BackMost));
    QVERIFY(w->isVisible());
    QCOMPARE(home.read(QStringLiteral("KovaShell3.hsn")), zOrderFile(to));
    QCOMPARE(home.read(QStringLiteral("KovaShell3.log")), text);
}

void TestNoteCommands::zOrderItemOnA14LineFileAddsTheFifteenthLine() {
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    storeNote(home, 0, noteFields(150, 300).mid(0, 14));
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    QCOMPARE(board.NoteWindows(1)->Text9, QStringLiteral("False"));
    menus.back->trigger();
    QCOMPARE(home.read(QStringLiteral("KovaShell0.hsn")),
             fieldFile(noteFields(150, 300, "True", "0")));
    menus.back->trigger();
    QCOMPARE(home.read(QStringLiteral("KovaShell0.hsn")), zOrderFile("False"));
}

void TestNoteCommands::rightPressChecksTheZOrderItems_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("topChecked");
    QTest::addColumn<bool>("backChecked");
    QTest::newRow("top-most") << "True" << true << false;
    QTest::newRow("back-most") << "0" << false << true;
    QTest::newRow("normal") << "False" << false << false;
}

void TestNoteCommands::rightPressChecksTheZOrderItems() {
    QFETCH(QString, state);
    QFETCH(bool, topChecked);
    QFETCH(bool, backChecked);
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    menus.top->setChecked(!topChecked);
    menus.back->setChecked(!backChecked);
    storeNote(home, 0, noteFields(0, 0));
    storeNote(home, 1, noteFields(150, 300, "True", state));
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    board.CurrentNoteIndex = 1;
    rightPress(board.NoteWindows(2));
    QCOMPARE(board.CurrentNoteIndex, 2);
    QCOMPARE(menus.top->isChecked(), topChecked);
    QCOMPARE(menus.back->isChecked(), backChecked);
    QVERIFY(menus.fusen.isVisible());
    menus.fusen.hide();
}

void TestNoteCommands::reassertPassLeavesHiddenNotesHidden() {
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    storeNote(home, 0, noteFields(0, 0, "False", "True"));
    storeNote(home, 1, noteFields(0, 0, "True", "True"));
    storeNote(home, 2, noteFields(0, 0, "True", "True"));
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    board.CurrentNoteIndex = 3;
    menus.top->trigger(); // note 2 leaves top-most; the others are re-asserted
    QVERIFY(board.NoteWindows(1)->isHidden());
    QCOMPARE(board.NoteWindows(2)->stacking(), NoteStacking::TopMost);
    QCOMPARE(board.NoteWindows(3)->stacking(), NoteStacking::Normal);
}

void TestNoteCommands::hideWritesFalseAndAddsTheTrayEntry() {
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    storeNote(home, 4, noteFields(150, 300), QStringLiteral("買い物リスト\r\n牛乳"));
    const QByteArray text = home.read(QStringLiteral("KovaShell4.log"));
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    menus.hide->trigger();
    QCOMPARE(board.noteWindowCount(), 0);
    QCOMPARE(home.read(QStringLiteral("KovaShell4.hsn")),
             fieldFile(noteFields(150, 300, QStringLiteral("False"))));
    QCOMPARE(home.read(QStringLiteral("KovaShell4.log")), text);
    QVERIFY(menus.entry(4)->isVisible());
    // Seven characters, the line break counting as two (shown as blanks).
    QCOMPARE(menus.entry(4)->text(), QStringLiteral("買い物リスト (非表示タグ)"));
}

void TestNoteCommands::hiddenNoteStaysHiddenAfterRestart() {
    TempHome home;
    FakePlatform platform;
    storeNote(home, 4, noteFields(150, 300));
    {
        TestMenus menus;
        NoteBoard board;
        board.attachMenus(menus.menus());
        board.restoreNotes();
        menus.hide->trigger();
    }
    TestMenus menus;
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    QCOMPARE(board.noteWindowCount(), 1);
    QVERIFY(board.NoteWindows(1)->isHidden());
    QVERIFY(menus.entry(4)->isVisible());
}

void TestNoteCommands::showingAHiddenNoteBringsItBack() {
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    storeNote(home, 0, noteFields(0, 0));
    storeNote(home, 4, noteFields(150, 300, "True", "True"));
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    menus.hide->trigger(); // note 4 is current
    QCOMPARE(board.noteWindowCount(), 1);
    board.mnuFusenVisible_Click(4);
    QCOMPARE(board.noteWindowCount(), 2);
    Form5a* w = board.NoteWindows(2);
    QCOMPARE(w->Text3, 4);
    QCOMPARE(w->Text1, 2);
    QVERIFY(w->isVisible());
    QCOMPARE(w->pos(), QPoint(20, 10));
    QCOMPARE(w->stacking(), NoteStacking::TopMost);
    QVERIFY(!menus.entry(4)->isVisible());
    QCOMPARE(home.read(QStringLiteral("KovaShell4.hsn")), zOrderFile("True"));
}

void TestNoteCommands::showingAStartUpHiddenNoteLeavesOneWindow() {
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    storeNote(home, 1, noteFields(150, 300, "False"));
    storeNote(home, 2, noteFields(0, 0));
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    QCOMPARE(board.noteWindowCount(), 2);
    board.mnuFusenVisible_Click(1);
    QCOMPARE(board.noteWindowCount(), 2);
    QCOMPARE(board.NoteWindows(1)->Text3, 2);
    QCOMPARE(board.NoteWindows(1)->Text1, 1);
    QCOMPARE(board.NoteWindows(2)->Text3, 1);
    QCOMPARE(board.NoteWindows(2)->Text1, 2);
    QVERIFY(board.NoteWindows(2)->isVisible());
    QCOMPARE(home.read(QStringLiteral("KovaShell1.hsn")), zOrderFile("False"));
}

void TestNoteCommands::noteZeroUsesThePreExistingEntry() {
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    QAction* element0 = menus.entry(0);
    storeNote(home, 0, noteFields(0, 0), QStringLiteral("abc"));
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    menus.hide->trigger();
    QCOMPARE(menus.entry(0), element0);
    QVERIFY(element0->isVisible());
    QCOMPARE(element0->text(), QStringLiteral("abc(非表示タグ)"));
    board.mnuFusenVisible_Click(0);
    QVERIFY(!element0->isVisible());
    menus.kill->trigger();
    QCOMPARE(menus.entry(0), element0);
    QVERIFY(!element0->isVisible());
}

void TestNoteCommands::removeAsksFirstAndNoKeepsEverything() {
    TempHome home;
    FakePlatform platform;
    platform.answers = {Answer::No};
    TestMenus menus;
    storeNote(home, 0, noteFields(0, 0));
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    menus.kill->trigger();
    QCOMPARE(platform.messages, QStringList{QStringLiteral("このタグを消去しますか？")});
    QCOMPARE(platform.messageButtons.value(0), Buttons::YesNo);
    QCOMPARE(board.noteWindowCount(), 1);
    QVERIFY(QFile::exists(home.file(QStringLiteral("KovaShell0.hsn"))));
    QVERIFY(QFile::exists(home.file(QStringLiteral("KovaShell0.log"))));
}

void TestNoteCommands::removeDeletesBothFilesAndFreesTheNumber() {
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    storeNote(home, 0, noteFields(0, 0));
    storeNote(home, 1, noteFields(0, 0));
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    board.CurrentNoteIndex = 1;
    menus.kill->trigger();
    QCOMPARE(board.noteWindowCount(), 1);
    QVERIFY(!QFile::exists(home.file(QStringLiteral("KovaShell0.hsn"))));
    QVERIFY(!QFile::exists(home.file(QStringLiteral("KovaShell0.log"))));
    QCOMPARE(FindFreeNoteNumber(), 0);
}

void TestNoteCommands::removeOnAReadOnlyFolderTellsAndKeepsTheNote() {
    TempHome home;
    ReadOnlyFolder folder(home.path());
    if (!folder.usable())
        QSKIP(qPrintable(folder.why()));
    FakePlatform platform;
    TestMenus menus;
    storeNote(home, 5, noteFields(0, 0));
    QVERIFY(folder.seal());
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    menus.kill->trigger();
    QCOMPARE(platform.messages,
             (QStringList{QStringLiteral("このタグを消去しますか？"),
                          QStringLiteral("タグ（KovaShell5.hsn）を削除できませんでした。"
                                         "書き込み権限を確認してください。")}));
    QCOMPARE(board.noteWindowCount(), 1);
    QVERIFY(board.NoteWindows(1)->isVisible());
    QVERIFY(QFile::exists(home.file(QStringLiteral("KovaShell5.hsn"))));
    QVERIFY(QFile::exists(home.file(QStringLiteral("KovaShell5.log"))));
}

void TestNoteCommands::removingTheMiddleNoteRenumbersTheOthers() {
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    for (int n : {0, 1, 2})
        storeNote(home, n, noteFields(150 * n, 0));
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    Form5a* third = board.NoteWindows(3);
    board.CurrentNoteIndex = 2;
    menus.kill->trigger();
    QCOMPARE(board.noteWindowCount(), 2);
    QCOMPARE(third->Text1, 2);
    QCOMPARE(board.NoteWindows(2), third);
    rightPress(third);
    menus.fusen.hide();
    QCOMPARE(board.CurrentNoteIndex, 2);
    menus.hide->trigger();
    QCOMPARE(home.read(QStringLiteral("KovaShell2.hsn")),
             fieldFile(noteFields(300, 0, QStringLiteral("False"))));
    QCOMPARE(home.read(QStringLiteral("KovaShell0.hsn")), fieldFile(noteFields(0, 0)));
}

void TestNoteCommands::newNoteRefusedWhenAllNumbersAreUsed() {
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    for (int n = 0; n <= 100; ++n)
        home.write(QStringLiteral("KovaShell%1.hsn").arg(n), "\"\"\r\n");
    NoteBoard board;
    board.attachMenus(menus.menus());
    menus.newNote->trigger();
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY(platform.messages.first().contains(QStringLiteral("101")));
    QCOMPARE(board.freeNoteNumber(), -1);
    QVERIFY(!QFile::exists(home.file(QStringLiteral("KovaShell101.hsn"))));
    QVERIFY(!QFile::exists(home.file(QStringLiteral("KovaShell101.log"))));
}

void TestNoteCommands::editTakesTheNoteOffTheDesktopWhileTheEditorIsOpen() {
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    storeNote(home, 3, noteFields(150, 300), QStringLiteral("本文"));
    storeNote(home, 4, noteFields(1500, 1500, "False"), QStringLiteral("隠れ"));
    storeNote(home, 5, noteFields(3000, 3000));
    const QByteArray fields3 = home.read(QStringLiteral("KovaShell3.hsn"));
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    // The editor never outlives the board it works for.
    const auto closeEditor = qScopeGuard([&board] {
        if (board.editorWindow() != nullptr)
            board.editorWindow()->close();
    });
    board.CurrentNoteIndex = 1;
    menus.edit->trigger();
    QVERIFY(board.editorVisible());
    QCOMPARE(board.noteWindowCount(), 2);
    QCOMPARE(board.NoteWindows(2)->Text3, 5);
    QCOMPARE(board.NoteWindows(2)->Text1, 2);
    QCOMPARE(board.EditedNoteNumber, 3);
    QCOMPARE(board.scratchFields().mid(0, kNoteFieldCount), noteFields(150, 300));
    QCOMPARE(board.scratchText(), QStringLiteral("本文"));
    QCOMPARE(home.read(QStringLiteral("KovaShell3.hsn")), fields3);

    // Only one note at a time in the editor.
    menus.edit->trigger();
    menus.newNote->trigger();
    QCOMPARE(platform.messages, QStringList(2, QStringLiteral("他のタグを編集中です。")));

    // Presses on the other notes do nothing meanwhile.
    Form5a* other = board.NoteWindows(2);
    board.CurrentNoteIndex = 1;
    rightPress(other);
    QCOMPARE(board.CurrentNoteIndex, 1);
    QVERIFY(!menus.fusen.isVisible());

    // Showing a hidden note keeps the edited note's record for "Cancel".
    board.mnuFusenVisible_Click(4);
    QCOMPARE(board.noteWindowCount(), 2);
    QCOMPARE(board.scratchText(), QStringLiteral("本文"));
    QCOMPARE(board.scratchFields().mid(0, kNoteFieldCount), noteFields(150, 300));

    // Closing the editor puts the note back unchanged.
    board.editorWindow()->close();
    QVERIFY(!board.editorVisible());
    QCOMPARE(board.EditedNoteNumber, kNewNoteNumber);
    QCOMPARE(board.noteWindowCount(), 3);
    QCOMPARE(board.NoteWindows(3)->Text3, 3);
    QCOMPARE(board.NoteWindows(3)->pos(), QPoint(20, 10));
    QCOMPARE(home.read(QStringLiteral("KovaShell3.hsn")), fields3);
}

void TestNoteCommands::failedFieldChangeLeavesTheWindowAsItWas() {
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    storeNote(home, 5, noteFields(0, 0));
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    QFile::remove(home.file(QStringLiteral("KovaShell5.hsn")));
    menus.top->trigger();
    menus.hide->trigger();
    QCOMPARE(platform.messages.size(), 2);
    QVERIFY(platform.messages.first().contains(QStringLiteral("KovaShell5.hsn")));
    QCOMPARE(board.noteWindowCount(), 1);
    QCOMPARE(board.NoteWindows(1)->Text9, QStringLiteral("False"));
    QCOMPARE(board.NoteWindows(1)->stacking(), NoteStacking::Normal);
    QVERIFY(!QFile::exists(home.file(QStringLiteral("KovaShell5.hsn"))));
}

void TestNoteCommands::hiddenCaptionTakesSevenCharacters_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::newRow("long") << "ABCDEFGHIJ" << QStringLiteral("ABCDEFG(非表示タグ)");
    QTest::newRow("short") << "abc" << QStringLiteral("abc(非表示タグ)");
    QTest::newRow("empty") << "" << QStringLiteral("(非表示タグ)");
    QTest::newRow("CR LF counts twice") << "ab\r\ncdefg" << QStringLiteral("ab\r\ncde(非表示タグ)");
    QTest::newRow("surrogate pair is one")
        << QStringLiteral("😀😀😀😀😀😀😀😀") << QStringLiteral("😀😀😀😀😀😀😀(非表示タグ)");
}

void TestNoteCommands::hiddenCaptionTakesSevenCharacters() {
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QCOMPARE(hiddenNoteCaption(text), caption);
}

void TestNoteCommands::hiddenEntryShowsAmpersandsLiterally() {
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.addHiddenNoteEntry(8, QStringLiteral("A&B\tC"));
    QCOMPARE(menus.entry(8)->text(), QStringLiteral("A&&B C(非表示タグ)"));
}

QTEST_MAIN(TestNoteCommands)
#include "test_note_commands.moc"
