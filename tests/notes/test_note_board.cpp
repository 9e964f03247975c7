#include "base/twips_and_numbers.h"
#include "note_fixtures.h"
#include "notes/countdown.h"
#include "notes/note_board.h"
#include "notes/note_store.h"
#include "support/fake_platform.h"
#include "support/file_size_limit.h"
#include "support/log_capture.h"
#include "support/temp_home.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

using namespace kova;
using namespace kova::test;

namespace {

QMap<QString, QByteArray> snapshot(const TempHome& home) {
    QMap<QString, QByteArray> files;
    const QStringList names = QDir(home.path()).entryList(QDir::Files);
    for (const QString& name : names)
        files.insert(name, home.read(name));
    return files;
}

void sendMouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, const QPoint& global) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, w->mapFromGlobal(QPointF(global)), QPointF(global),
                      type == QEvent::MouseMove ? Qt::NoButton : button,
                      type == QEvent::MouseMove ? Qt::MouseButtons(Qt::LeftButton) : held,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

} // namespace

class TestNoteBoard : public QObject {
    Q_OBJECT
private slots:
    void notesAreRestoredInNumberOrderUpTo100();
    void restoredNoteHasItsPlaceLookAndTitle();
    void noteWithoutTextFileIsReportedAndSkipped();
    void hiddenNoteRestoresAsInvisibleWindowWithTrayEntry();
    void damagedFilesRestoreWithoutChangingTheDisk_data();
    void damagedFilesRestoreWithoutChangingTheDisk();
    void clickWithoutMovingRewritesTheFieldFile_data();
    void clickWithoutMovingRewritesTheFieldFile();
    void dragSavesTheNewPlace();
    void noteOffEveryScreenIsShownOnOneButKeepsItsFile();
    void failedSaveNamesTheNoteAndKeepsTheFile();
    void saveThatCannotGrowTheFilesIsReportedAndKeepsBoth();
    void pairSaveFailingAtTheTextKeepsTheOldBytes();
    void failedSaveLogsTheFilesButNeverTheText();
    void timedNoteShowsTheCountdownAboveTheText();
    void dueTimerTurnsTheLineRed();
    void captureThenApplyGivesTheSameRecord();
    void hugeNoteShowsWhatFitsAndKeepsItsWholeText();
};

void TestNoteBoard::notesAreRestoredInNumberOrderUpTo100() {
    TempHome home;
    FakePlatform platform;
    for (int n : {100, 5, 0, 101, 150})
        storeNote(home, n, noteFields(15 * n, 0), QStringLiteral("note %1").arg(n));
    NoteBoard board;
    board.restoreNotes();
    QCOMPARE(board.noteWindowCount(), 3);
    const int numbers[] = {0, 5, 100};
    for (int i = 1; i <= 3; ++i) {
        QCOMPARE(board.NoteWindows(i)->Text3, numbers[i - 1]);
        QCOMPARE(board.NoteWindows(i)->Text1, i);
        QVERIFY(board.NoteWindows(i)->isVisible());
    }
    QCOMPARE(board.CurrentNoteIndex, 3);
    QVERIFY(platform.messages.isEmpty());
}

void TestNoteBoard::restoredNoteHasItsPlaceLookAndTitle() {
    TempHome home;
    FakePlatform platform;
    QStringList fields = noteFields(2310, 1500);
    fields[FieldFontSize] = QStringLiteral("10.5");
    fields[FieldFontBold] = QStringLiteral("True");
    fields[FieldBackColor] = QStringLiteral("&H80FFFF");
    fields[FieldForeColor] = QStringLiteral("&HFF");
    storeNote(home, 0, fields, QStringLiteral("一行目\r\n<b>二行目</b>"));
    NoteBoard board;
    board.restoreNotes();
    Form5a* w = board.NoteWindows(1);
    QVERIFY(w);
    QCOMPARE(w->pos(), QPoint(100, 154));
    QCOMPARE(w->windowTitle(), QStringLiteral("付箋紙"));
    QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(w->Label1->text(), QStringLiteral("一行目\n<b>二行目</b>"));
    QCOMPARE(w->Label1->textFormat(), Qt::PlainText);
    QCOMPARE(w->Label1->font().pointSizeF(), 10.5);
    QVERIFY(w->Label1->font().bold());
    QCOMPARE(w->Label1->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(w->Label1->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0x80));
    QCOMPARE(w->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0x80));
    QCOMPARE(w->Label1->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
    QCOMPARE(w->size(), w->Label1->sizeHint());
    QVERIFY(w->Label2->isHidden());
    QVERIFY(!w->Timer1.isActive());
    QCOMPARE(w->Text9, QStringLiteral("False"));
}

void TestNoteBoard::noteWithoutTextFileIsReportedAndSkipped() {
    TempHome home;
    FakePlatform platform;
    storeNote(home, 3, noteFields(0, 0));
    QFile::remove(home.file(QStringLiteral("KovaShell3.log")));
    storeNote(home, 4, noteFields(0, 0));
    const auto before = snapshot(home);
    NoteBoard board;
    board.restoreNotes();
    QCOMPARE(platform.messages, QStringList{QStringLiteral("KovaShell3.logが見つかりません")});
    QCOMPARE(platform.messageButtons.value(0), Buttons::Ok);
    QCOMPARE(board.noteWindowCount(), 1);
    QCOMPARE(board.NoteWindows(1)->Text3, 4);
    QCOMPARE(snapshot(home), before);
    // The number stays in use.
    QCOMPARE(FindFreeNoteNumber(), 0);
    QFile::remove(home.file(QStringLiteral("KovaShell0.hsn")));
    storeNote(home, 0, noteFields(0, 0));
    QCOMPARE(FindFreeNoteNumber(), 1);
}

void TestNoteBoard::hiddenNoteRestoresAsInvisibleWindowWithTrayEntry() {
    TempHome home;
    FakePlatform platform;
    TestMenus menus;
    storeNote(home, 2, noteFields(0, 0, QStringLiteral("False")), QStringLiteral("ABCDEFGHIJ"));
    NoteBoard board;
    board.attachMenus(menus.menus());
    board.restoreNotes();
    QCOMPARE(board.noteWindowCount(), 1);
    QVERIFY(board.NoteWindows(1)->isHidden());
    QVERIFY(menus.entries.contains(2));
    QVERIFY(menus.entry(2)->isVisible());
    QCOMPARE(menus.entry(2)->text(), QStringLiteral("ABCDEFG(非表示タグ)"));
}

void TestNoteBoard::damagedFilesRestoreWithoutChangingTheDisk_data() {
    QTest::addColumn<QByteArray>("fields");
    QTest::addColumn<QByteArray>("text");
    const QByteArray good = fieldFile(noteFields(150, 150));
    QTest::newRow("empty .hsn") << QByteArray() << QByteArray("x\r\n");
    QTest::newRow("3-line .hsn") << fieldFile(noteFields(150, 150).mid(0, 3)) << QByteArray("x");
    QTest::newRow("5000-byte line")
        << QByteArray("\"" + QByteArray(5000, 'F') + "\"\r\n" + good.mid(good.indexOf('\n') + 1))
        << QByteArray("x");
    QTest::newRow("letters for numbers and colours")
        << fieldFile({"Sans", "big", "yes", "no", "&HZZ", "red", "maybe", "top", "left", "", "", "",
                      "", "", "sideways"})
        << QByteArray("x");
    QTest::newRow("invalid Shift-JIS text") << good << QByteArray("\x81\xFF\x82\r\n", 5);
    QByteArray big;
    while (big.size() < 1024 * 1024)
        big += toShiftJis(QStringLiteral("長いメモの一行です。")) + "\r\n";
    QTest::newRow("1 MB text") << good << big;
}

void TestNoteBoard::damagedFilesRestoreWithoutChangingTheDisk() {
    QFETCH(QByteArray, fields);
    QFETCH(QByteArray, text);
    TempHome home;
    FakePlatform platform;
    home.write(QStringLiteral("KovaShell0.hsn"), fields);
    home.write(QStringLiteral("KovaShell0.log"), text);
    const auto before = snapshot(home);
    NoteBoard board;
    board.restoreNotes();
    QCOMPARE(board.noteWindowCount(), 1);
    Form5a* w = board.NoteWindows(1);
    QVERIFY(w->isVisible());
    QVERIFY(w->width() > 0 && w->height() > 0);
    // Never larger than the desktop.
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    QVERIFY(w->width() <= desktop.width() && w->height() <= desktop.height());
    QCOMPARE(w->Text9, QStringLiteral("False"));
    QCOMPARE(snapshot(home), before);
}

void TestNoteBoard::clickWithoutMovingRewritesTheFieldFile_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("afterClick");
    const QByteArray full = fieldFile(noteFields(2300, 1000));
    QTest::newRow("15 lines stay the same") << full << full;
    QTest::newRow("14 lines gain the fifteenth")
        << fieldFile(noteFields(2300, 1000).mid(0, 14)) << full;
}

void TestNoteBoard::clickWithoutMovingRewritesTheFieldFile() {
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, afterClick);
    TempHome home;
    FakePlatform platform;
    home.write(QStringLiteral("KovaShell0.hsn"), stored);
    home.write(QStringLiteral("KovaShell0.log"), "memo\r\n");
    NoteBoard board;
    board.restoreNotes();
    Form5a* w = board.NoteWindows(1);
    const QPoint at = w->mapToGlobal(QPoint(2, 2));
    sendMouse(w, QEvent::MouseButtonPress, Qt::LeftButton, at);
    sendMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, at);
    QCOMPARE(home.read(QStringLiteral("KovaShell0.hsn")), afterClick);
    QCOMPARE(home.read(QStringLiteral("KovaShell0.log")), QByteArray("memo\r\n"));
}

void TestNoteBoard::dragSavesTheNewPlace() {
    TempHome home;
    FakePlatform platform;
    storeNote(home, 0, noteFields(150, 150));
    storeNote(home, 1, noteFields(1500, 1500));
    NoteBoard board;
    board.restoreNotes();
    Form5a* w = board.NoteWindows(1);
    const QPoint start = w->mapToGlobal(QPoint(3, 3));
    sendMouse(w, QEvent::MouseButtonPress, Qt::LeftButton, start);
    QCOMPARE(board.CurrentNoteIndex, 1);
    sendMouse(w, QEvent::MouseMove, Qt::LeftButton, start + QPoint(40, 20));
    sendMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, start + QPoint(100, 60));
    QCOMPARE(w->pos(), QPoint(110, 70));
    QStringList saved;
    QVERIFY(ReadNoteFields(0, &saved));
    QCOMPARE(saved.value(FieldTop), QStringLiteral("1050"));
    QCOMPARE(saved.value(FieldLeft), QStringLiteral("1650"));
    QCOMPARE(saved.size(), kNoteFieldCount);

    // A restart restores it there.
    NoteBoard again;
    again.restoreNotes();
    QCOMPARE(again.NoteWindows(1)->pos(), QPoint(110, 70));
}

void TestNoteBoard::noteOffEveryScreenIsShownOnOneButKeepsItsFile() {
    TempHome home;
    FakePlatform platform;
    storeNote(home, 0, noteFields(15 * 90000, -15 * 90000));
    const QByteArray stored = home.read(QStringLiteral("KovaShell0.hsn"));
    NoteBoard board;
    board.restoreNotes();
    Form5a* w = board.NoteWindows(1);
    bool onAScreen = false;
    for (QScreen* s : QGuiApplication::screens())
        onAScreen |= s->availableGeometry().contains(w->geometry());
    QVERIFY2(onAScreen, qPrintable(QStringLiteral("at %1,%2").arg(w->x()).arg(w->y())));
    const QPoint at = w->mapToGlobal(QPoint(1, 1));
    sendMouse(w, QEvent::MouseButtonPress, Qt::LeftButton, at);
    sendMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, at);
    QCOMPARE(home.read(QStringLiteral("KovaShell0.hsn")), stored);
}

void TestNoteBoard::failedSaveNamesTheNoteAndKeepsTheFile() {
    TempHome home;
    FakePlatform platform;
    storeNote(home, 6, noteFields(150, 150));
    const QByteArray stored = home.read(QStringLiteral("KovaShell6.hsn"));
    NoteBoard board;
    board.restoreNotes();
    Form5a* w = board.NoteWindows(1);
    // The data folder becomes unwritable (a folder that cannot exist).
    const QByteArray saved = qgetenv("KOVASHELL_HOME");
    qputenv("KOVASHELL_HOME", "/proc/kovashell-no-such-folder");
    const QPoint at = w->mapToGlobal(QPoint(1, 1));
    sendMouse(w, QEvent::MouseButtonPress, Qt::LeftButton, at);
    sendMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, at + QPoint(30, 0));
    qputenv("KOVASHELL_HOME", saved);
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY(platform.messages.first().contains(QStringLiteral("KovaShell6.hsn")));
    QCOMPARE(home.read(QStringLiteral("KovaShell6.hsn")), stored);
}

void TestNoteBoard::saveThatCannotGrowTheFilesIsReportedAndKeepsBoth() {
    TempHome home;
    FakePlatform platform;
    storeNote(home, 5, noteFields(150, 150), QStringLiteral("memo"));
    const QMap<QString, QByteArray> before = snapshot(home);
    NoteBoard board;
    QStringList large = noteFields(300, 300);
    large[0] = QString(3000, QLatin1Char('F'));
    board.setScratchRecord(QString(3000, QLatin1Char('t')), large);
    bool fieldsWritten = true;
    bool textWritten = true;
    {
        FileSizeLimit limit(2048);
        QVERIFY(limit.active());
        fieldsWritten = board.WriteNoteFields(5);
        textWritten = board.WriteNoteText(5);
    }
    QVERIFY(!fieldsWritten);
    QVERIFY(!textWritten);
    QCOMPARE(platform.messages.size(), 2);
    QVERIFY(platform.messages.at(0).contains(
        QStringLiteral("（KovaShell5.hsn）を保存できませんでした")));
    QVERIFY(platform.messages.at(1).contains(
        QStringLiteral("（KovaShell5.log）を保存できませんでした")));
    QCOMPARE(snapshot(home), before);
    QCOMPARE(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), before.keys());
}

// The old field file as an older copy or a hand left it (fourteen lines, a
// lower-case colour) keeps its bytes when the text cannot be saved.
void TestNoteBoard::pairSaveFailingAtTheTextKeepsTheOldBytes() {
    TempHome home;
    FakePlatform platform;
    QStringList old = noteFields(150, 150);
    old[FieldBackColor] = QStringLiteral("&h80ffff");
    old.removeLast();
    storeNote(home, 5, old, QStringLiteral("memo"));
    const QMap<QString, QByteArray> before = snapshot(home);
    NoteBoard board;
    board.setScratchRecord(QString(3000, QLatin1Char('t')), noteFields(300, 300));
    {
        FileSizeLimit limit(2048);
        QVERIFY(limit.active());
        QVERIFY(!board.WriteNote(5));
    }
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY(platform.messages.first().contains(
        QStringLiteral("（KovaShell5.log）を保存できませんでした")));
    QCOMPARE(snapshot(home), before);
    QCOMPARE(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), before.keys());
}

void TestNoteBoard::failedSaveLogsTheFilesButNeverTheText() {
    TempHome home;
    FakePlatform platform;
    const QString secret = QStringLiteral("暗証番号は4711");
    NoteBoard board;
    board.setScratchRecord(secret.repeated(200), noteFields(300, 300));
    LogCapture log;
    {
        FileSizeLimit limit(1024);
        QVERIFY(limit.active());
        QVERIFY(!board.WriteNoteText(5));
    }
    QCOMPARE(log.lines.size(), 1);
    QVERIFY2(log.lines.first().contains(home.file(QStringLiteral("KovaShell5.log"))),
             qPrintable(log.lines.first()));
    for (const QString& line : log.lines)
        QVERIFY2(!line.contains(secret) && !line.contains(QStringLiteral("4711")),
                 qPrintable(line));
}

void TestNoteBoard::timedNoteShowsTheCountdownAboveTheText() {
    TempHome home;
    FakePlatform platform;
    FixedNoteClock clock(QDateTime(QDate(2002, 5, 1), QTime(10, 45)));
    QStringList fields = noteFields(0, 0);
    fields[FieldTimerYear] = QStringLiteral("2002");
    fields[FieldTimerMonth] = QStringLiteral("05");
    fields[FieldTimerDay] = QStringLiteral("03");
    fields[FieldTimerHour] = QStringLiteral("12");
    fields[FieldTimerMinute] = QStringLiteral("30");
    storeNote(home, 0, fields, QStringLiteral("a"));
    NoteBoard board;
    board.restoreNotes();
    Form5a* w = board.NoteWindows(1);
    QVERIFY(w->Label2->isVisible());
    QCOMPARE(w->Label2->text(), QStringLiteral("あと2日1時間45分"));
    QVERIFY(w->Timer1.isActive());
    QCOMPARE(w->Timer1.interval(), 30000);
    QCOMPARE(w->Label2->pos(), QPoint(0, 0));
    QCOMPARE(w->Label1->pos(), QPoint(0, w->Label2->height()));
    QCOMPARE(w->height(), w->Label2->height() + w->Label1->height());
    // The countdown is wider than the one-letter text.
    QCOMPARE(w->width(), w->Label2->width());
    QVERIFY(w->Label2->width() > w->Label1->width());
}

void TestNoteBoard::dueTimerTurnsTheLineRed() {
    TempHome home;
    FakePlatform platform;
    FixedNoteClock clock(QDateTime(QDate(2002, 5, 3), QTime(12, 30)));
    QStringList fields = noteFields(0, 0, QStringLiteral("True"), QStringLiteral("True"));
    fields[FieldTimerYear] = QStringLiteral("2002");
    fields[FieldTimerMonth] = QStringLiteral("05");
    fields[FieldTimerDay] = QStringLiteral("03");
    fields[FieldTimerHour] = QStringLiteral("12");
    fields[FieldTimerMinute] = QStringLiteral("30");
    storeNote(home, 0, fields);
    NoteBoard board;
    board.restoreNotes();
    Form5a* w = board.NoteWindows(1);
    QCOMPARE(w->Label2->text(), QStringLiteral("時間です"));
    QCOMPARE(w->Label2->palette().color(QPalette::Window), QColor(255, 0, 0));
    // The tick after the target minute: overdue, still red, raised again.
    clock.set(QDateTime(QDate(2002, 5, 3), QTime(12, 31)));
    w->TimeCal();
    QCOMPARE(w->Label2->text(), QStringLiteral("予定時刻 2002/05/03 12：30を過ぎました。"));
    QCOMPARE(w->Label2->palette().color(QPalette::Window), QColor(255, 0, 0));
    QCOMPARE(w->width(), std::max(w->Label1->width(), w->Label2->width()));
}

void TestNoteBoard::captureThenApplyGivesTheSameRecord() {
    TempHome home;
    FakePlatform platform;
    NoteBoard board;
    QStringList fields = noteFields(450, 900);
    fields[FieldFontItalic] = QStringLiteral("True");
    fields[FieldBackColor] = QStringLiteral("&HC0C0FF");
    board.setScratchRecord(QStringLiteral("line 1\r\nline 2"), fields);
    Form5a* w = board.showScratchRecord(12, true);
    QCOMPARE(w->Text3, 12);
    board.setScratchRecord(QString(), QStringList{QStringLiteral("left over")});
    board.CaptureNoteRecord();
    QCOMPARE(board.scratchFields(), fields + QStringList{QStringLiteral("left over")});
    QCOMPARE(board.scratchText(), QStringLiteral("line 1\r\nline 2"));
}

void TestNoteBoard::hugeNoteShowsWhatFitsAndKeepsItsWholeText() {
    TempHome home;
    FakePlatform platform;
    // About 2 MB: 40000 lines, the first one longer than any screen is wide.
    QString text = QString(20000, QLatin1Char('x'));
    for (int i = 1; i < 40000; ++i)
        text += QStringLiteral("\r\nline %1 of a huge note").arg(i);
    storeNote(home, 0, noteFields(0, 0), text);
    const QByteArray before = home.read(QStringLiteral("KovaShell0.log"));
    NoteBoard board;
    board.restoreNotes();
    Form5a* w = board.NoteWindows(1);
    QVERIFY(w != nullptr);
    QCOMPARE(w->noteText(), text);
    QRect desktop;
    for (QScreen* screen : QGuiApplication::screens())
        desktop = desktop.united(screen->geometry());
    QVERIFY(w->width() <= desktop.width() && w->height() <= desktop.height());
    // Shown: the lines that fit, the first one cut near the screen's width.
    const QString shown = w->Label1->text();
    const qsizetype lineHeight = w->Label1->fontMetrics().lineSpacing();
    QVERIFY(shown.count(QLatin1Char('\n')) <= desktop.height() / lineHeight + 1);
    QVERIFY(shown.startsWith(QString(desktop.width(), QLatin1Char('x'))));
    QVERIFY(shown.section(QLatin1Char('\n'), 0, 0).size() <= desktop.width() + 1);
    QVERIFY(shown.contains(QStringLiteral("\nline 1 of a huge note\n")));

    // A drag saves the fields only; the text file keeps every line.
    board.CurrentNoteIndex = 1;
    board.noteDragEnded(w);
    QCOMPARE(home.read(QStringLiteral("KovaShell0.log")), before);
    board.setScratchRecord(QString(), {});
    board.CaptureNoteRecord();
    QCOMPARE(board.scratchText(), text);
}

QTEST_MAIN(TestNoteBoard)
#include "test_note_board.moc"
