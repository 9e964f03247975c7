#include "support/fake_platform.h"
#include "support/temp_home.h"

#include "note_fixtures.h"

#include "base/profile_file.h"
#include "base/twips_and_numbers.h"
#include "notes/note_board.h"
#include "notes/note_editor.h"
#include "notes/note_store.h"
#include "notes/posted_note_window.h"
#include "platform/colors.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace kova;
using kova::test::FakePlatform;
using kova::test::TempHome;

namespace {

QString u(const char* text) {
    return QString::fromUtf8(text);
}

QStringList noteFields(const char* text7 = "2310", const char* text8 = "1500",
                       const char* zOrder = "False", const char* year = "") {
    QStringList f = {u("ＭＳ Ｐゴシック"),
                     "9",
                     "False",
                     "False",
                     "&HFFFFFF",
                     "&H0",
                     "True",
                     u(text7),
                     u(text8),
                     u(year),
                     "",
                     "",
                     "",
                     "",
                     u(zOrder)};
    if (f[9].isEmpty())
        return f;
    f[10] = "05";
    f[11] = "03";
    f[12] = "12";
    f[13] = "30";
    return f;
}

} // namespace

class TestNoteEditor : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void newNoteWithDefaultsWritesFifteenLinesAtTheEditorsPlace();
    void editorOpensWithTheDefaultLookOfTheSettings();
    void emptyTextIsRefusedAndTheEditorStaysOpen();
    void twoNewNotesTakeTheTwoLowestFreeNumbers();
    void editorReopensWhereItWasClosed();
    void editorSavedOffEveryScreenOpensOnOne();
    void editorWithItsTitleBarAboveTheScreenComesBackWhole();
    void editorForANoteLargerThanTheScreenFitsOnIt();
    void editedNoteKeepsItsPlaceAndZOrderState_data();
    void editedNoteKeepsItsPlaceAndZOrderState();
    void leavingAnEditLeavesTheNoteAndItsFilesUnchanged_data();
    void leavingAnEditLeavesTheNoteAndItsFilesUnchanged();
    void showingAHiddenNoteMeanwhileCannotCorruptTheEditedNote();
    void largeNoteOpensALargerEditor();
    void windowKeepsItsMinimumAndControlsFollowTheBottomEdge();
    void timerStripReadsInOrderWithoutOverlap();
    void fontAndColourDialogsChangeOnlyWhenConfirmed();
    void secondEditorIsRefusedWhileOneIsOpen();

private:
    Form4a* openNewEditor();
    void writeNote(int number, const QStringList& fields, const QString& text);

    std::unique_ptr<TempHome> home_;
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<NoteBoard> board_;
};

void TestNoteEditor::init() {
    home_ = std::make_unique<TempHome>();
    fake_ = std::make_unique<FakePlatform>();
    ProfileFile ini(home_->file("KovaShell.ini"));
    ini.write("Fusen", "FontName", u("ＭＳ Ｐゴシック"));
    ini.write("Fusen", "FontSize", "9");
    ini.write("Fusen", "BackColor", "&HFFFFFF");
    ini.write("Fusen", "ForeColor", "&H0");
    ini.write("Fusen", "Top", "2310");
    ini.write("Fusen", "Left", "1500");
    board_ = std::make_unique<NoteBoard>();
}

void TestNoteEditor::cleanup() {
    board_.reset();
    fake_.reset();
    home_.reset();
}

Form4a* TestNoteEditor::openNewEditor() {
    board_->mnuNewHusen_Click();
    Form4a* editor = board_->editorWindow();
    if (editor == nullptr)
        qFatal("no editor opened");
    return editor;
}

void TestNoteEditor::writeNote(int number, const QStringList& fields, const QString& text) {
    QVERIFY(kova::WriteNoteFields(number, fields));
    QVERIFY(kova::WriteNoteText(number, text));
}

void TestNoteEditor::newNoteWithDefaultsWritesFifteenLinesAtTheEditorsPlace() {
    Form4a* editor = openNewEditor();
    QCOMPARE(editor->windowTitle(), u("Kova付箋紙"));
    QCOMPARE(editor->topTwips(), 2310);
    QCOMPARE(editor->leftTwips(), 1500);
    QTest::keyClicks(editor->Text1, "Hello");
    editor->Command1->click();

    QCOMPARE(home_->read("KovaShell0.hsn"), kova::test::fieldFile(noteFields()));
    QCOMPARE(home_->read("KovaShell0.log"), QByteArray("Hello\r\n"));
    QVERIFY(board_->editorWindow() == nullptr);
    QCOMPARE(board_->EditedNoteNumber, kNewNoteNumber);
    QCOMPARE(board_->noteWindowCount(), 1);
    Form5a* note = board_->NoteWindows(1);
    QCOMPARE(note->Text3, 0);
    QCOMPARE(note->noteText(), QString("Hello"));
    QCOMPARE(note->topTwips(), 2310);
    QCOMPARE(note->leftTwips(), 1500);
    QVERIFY(note->Label2->isHidden());
    QVERIFY(!note->Timer1.isActive());
    QVERIFY(fake_->messages.isEmpty());
}

void TestNoteEditor::editorOpensWithTheDefaultLookOfTheSettings() {
    ProfileFile ini(home_->file("KovaShell.ini"));
    ini.write("Fusen", "FontName", "DejaVu Serif");
    ini.write("Fusen", "FontSize", "10.5");
    ini.write("Fusen", "BackColor", "&H80FFFF");
    ini.write("Fusen", "ForeColor", "&HFF");
    Form4a* editor = openNewEditor();
    QCOMPARE(editor->Text1->font().family(), QString("DejaVu Serif"));
    QCOMPARE(editor->Text1->font().pointSizeF(), 10.5);
    QVERIFY(!editor->Text1->font().bold());
    QCOMPARE(colorToText(editor->textBackColor()), QString("&H80FFFF"));
    QCOMPARE(colorToText(editor->textForeColor()), QString("&HFF"));
    QVERIFY(editor->Text1->toPlainText().isEmpty());
    QVERIFY(!editor->hasTimer());
    QCOMPARE(editor->Label1[8]->text(), u("タイマー"));
    QCOMPARE(editor->Label1[7]->text(), u("："));

    QTest::keyClicks(editor->Text1, "x");
    editor->Command1->click();
    QStringList fields;
    QVERIFY(kova::ReadNoteFields(0, &fields));
    QCOMPARE(fields.mid(0, 6),
             QStringList({"DejaVu Serif", "10.5", "False", "False", "&H80FFFF", "&HFF"}));
}

void TestNoteEditor::emptyTextIsRefusedAndTheEditorStaysOpen() {
    Form4a* editor = openNewEditor();
    editor->Command1->click();
    QCOMPARE(fake_->messages, QStringList({u("入力されていません")}));
    QVERIFY(board_->editorWindow() == editor);
    QVERIFY(!QFile::exists(home_->file("KovaShell0.hsn")));
    QCOMPARE(board_->noteWindowCount(), 0);

    // An edited note whose text was deleted is refused the same way.
    editor->Command2->click();
    writeNote(4, noteFields(), "old");
    board_->restoreNotes();
    board_->CurrentNoteIndex = 1;
    board_->mnuEdit_Click();
    editor = board_->editorWindow();
    QVERIFY(editor != nullptr);
    editor->Text1->clear();
    editor->Command1->click();
    QCOMPARE(fake_->messages.size(), 2);
    QCOMPARE(fake_->messages.last(), u("入力されていません"));
    QCOMPARE(home_->read("KovaShell4.log"), QByteArray("old\r\n"));
    QCOMPARE(board_->EditedNoteNumber, 4);
}

void TestNoteEditor::twoNewNotesTakeTheTwoLowestFreeNumbers() {
    writeNote(0, noteFields(), "zero");
    writeNote(2, noteFields(), "two");
    for (const char* text : {"first", "second"}) {
        Form4a* editor = openNewEditor();
        QTest::keyClicks(editor->Text1, text);
        editor->Command1->click();
    }
    QCOMPARE(home_->read("KovaShell1.log"), QByteArray("first\r\n"));
    QCOMPARE(home_->read("KovaShell3.log"), QByteArray("second\r\n"));
    QCOMPARE(board_->NoteWindows(1)->Text3, 1);
    QCOMPARE(board_->NoteWindows(2)->Text3, 3);
}

void TestNoteEditor::editorReopensWhereItWasClosed() {
    Form4a* editor = openNewEditor();
    editor->move(300, 200);
    editor->Command2->click();
    ProfileFile ini(home_->file("KovaShell.ini"));
    QCOMPARE(ini.read("Fusen", "Top"), QString("3000"));
    QCOMPARE(ini.read("Fusen", "Left"), QString("4500"));
    QCOMPARE(board_->noteWindowCount(), 0);

    editor = openNewEditor();
    QCOMPARE(editor->pos(), QPoint(300, 200));
    QTest::keyClicks(editor->Text1, "here");
    editor->Command1->click();
    QCOMPARE(home_->read("KovaShell0.hsn"), kova::test::fieldFile(noteFields("3000", "4500")));
    QCOMPARE(board_->NoteWindows(1)->pos(), QPoint(300, 200));
}

void TestNoteEditor::editorSavedOffEveryScreenOpensOnOne() {
    ProfileFile ini(home_->file("KovaShell.ini"));
    ini.write("Fusen", "Top", "150000");
    ini.write("Fusen", "Left", "-90000");
    Form4a* editor = openNewEditor();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.contains(editor->pos()));
    editor->Command2->click();
    // Closing writes where it really stood.
    QCOMPARE(ini.read("Fusen", "Left"), QString::number(pixelsToTwips(screen.left())));
}

void TestNoteEditor::editorWithItsTitleBarAboveTheScreenComesBackWhole() {
    // Left behind by an editor whose frame ended above the screen.
    ProfileFile ini(home_->file("KovaShell.ini"));
    ini.write("Fusen", "Top", "-300");
    ini.write("Fusen", "Left", "-15");
    QStringList lines;
    for (int i = 0; i < 14; ++i)
        lines << QStringLiteral("a note of about 430 x 300 pixels, line %1").arg(i);
    writeNote(0, noteFields("0", "0"), lines.join("\r\n"));
    board_->restoreNotes();
    board_->CurrentNoteIndex = 1;
    board_->mnuEdit_Click();
    Form4a* editor = board_->editorWindow();
    QVERIFY(editor->heightTwips() > 4125);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.contains(QRect(editor->pos(), editor->frameGeometry().size())));
    QCOMPARE(editor->pos(), screen.topLeft());
    editor->Command2->click();
    QCOMPARE(ini.read("Fusen", "Top"), QString::number(pixelsToTwips(screen.top())));
    QCOMPARE(ini.read("Fusen", "Left"), QString::number(pixelsToTwips(screen.left())));

    // Moved above the screen by hand: what is kept is a place on the screen.
    editor = openNewEditor();
    editor->move(screen.left() + 40, screen.top() - 20);
    editor->Command2->click();
    QCOMPARE(ini.read("Fusen", "Top"), QString::number(pixelsToTwips(screen.top())));
    QCOMPARE(ini.read("Fusen", "Left"), QString::number(pixelsToTwips(screen.left() + 40)));
}

void TestNoteEditor::editorForANoteLargerThanTheScreenFitsOnIt() {
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("line %1 of a note taller and wider than any screen, ").arg(i) +
                     QString(60, QLatin1Char('w'));
    writeNote(0, noteFields("0", "0"), lines.join("\r\n"));
    board_->restoreNotes();
    board_->CurrentNoteIndex = 1;
    board_->mnuEdit_Click();
    Form4a* editor = board_->editorWindow();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(editor->isVisible());
    QVERIFY(editor->heightTwips() <= pixelsToTwips(screen.height()));
    QVERIFY(editor->widthTwips() <= pixelsToTwips(screen.width()));
    QVERIFY(screen.contains(editor->pos()));
    // The buttons are within the window, so on the screen.
    QVERIFY(editor->rect().contains(
        editor->Command1->mapTo(editor, editor->Command1->rect().bottomRight())));
}

void TestNoteEditor::editedNoteKeepsItsPlaceAndZOrderState_data() {
    QTest::addColumn<QString>("zOrder");
    QTest::addColumn<int>("stacking");
    QTest::newRow("top-most") << "True" << int(NoteStacking::TopMost);
    QTest::newRow("back-most") << "0" << int(NoteStacking::BackMost);
    QTest::newRow("normal") << "False" << int(NoteStacking::Normal);
}

void TestNoteEditor::editedNoteKeepsItsPlaceAndZOrderState() {
    QFETCH(QString, zOrder);
    QFETCH(int, stacking);
    writeNote(5, noteFields("1200", "900", zOrder.toLatin1().constData()), "before");
    board_->restoreNotes();
    board_->CurrentNoteIndex = 1;
    board_->mnuEdit_Click();
    Form4a* editor = board_->editorWindow();
    QVERIFY(editor != nullptr);
    QCOMPARE(board_->EditedNoteNumber, 5);
    QCOMPARE(board_->noteWindowCount(), 0);
    QCOMPARE(editor->Text1->toPlainText(), QString("before"));
    QCOMPARE(editor->Label2, zOrder);
    editor->move(600, 450);
    editor->Text1->setPlainText("after\nline two");
    editor->Command1->click();

    QCOMPARE(home_->read("KovaShell5.hsn"),
             kova::test::fieldFile(noteFields("1200", "900", zOrder.toLatin1().constData())));
    QCOMPARE(home_->read("KovaShell5.log"), QByteArray("after\r\nline two\r\n"));
    QCOMPARE(board_->noteWindowCount(), 1);
    Form5a* note = board_->NoteWindows(1);
    QCOMPARE(note->Text3, 5);
    QCOMPARE(note->Text9, zOrder);
    QCOMPARE(int(note->stacking()), stacking);
    QCOMPARE(note->pos(), QPoint(60, 80));
    QCOMPARE(board_->EditedNoteNumber, kNewNoteNumber);
}

void TestNoteEditor::leavingAnEditLeavesTheNoteAndItsFilesUnchanged_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Cancel") << false;
    QTest::newRow("close box") << true;
}

void TestNoteEditor::leavingAnEditLeavesTheNoteAndItsFilesUnchanged() {
    QFETCH(bool, closeBox);
    QStringList fields = noteFields("1500", "3000", "True", "2099");
    fields[FieldFontBold] = "True";
    fields[FieldBackColor] = "&H80FFFF";
    writeNote(3, fields, u("付箋, \"quoted\"\r\nsecond line"));
    const QByteArray hsn = home_->read("KovaShell3.hsn");
    const QByteArray log = home_->read("KovaShell3.log");
    board_->restoreNotes();
    board_->CurrentNoteIndex = 1;
    board_->mnuEdit_Click();
    Form4a* editor = board_->editorWindow();
    QVERIFY(editor->hasTimer());
    QCOMPARE(editor->timerStrip()[0], QString("2099"));

    editor->Text1->setPlainText("changed");
    fake_->colorAnswer = QColor(Qt::green);
    editor->mnuBackColor->trigger();
    fake_->fontAnswer = QFont("DejaVu Serif", 20);
    editor->mnuFont->trigger();
    editor->setTimerStrip({}, false);
    if (closeBox)
        editor->close();
    else
        editor->Command2->click();

    QVERIFY(board_->editorWindow() == nullptr);
    QCOMPARE(home_->read("KovaShell3.hsn"), hsn);
    QCOMPARE(home_->read("KovaShell3.log"), log);
    QCOMPARE(board_->EditedNoteNumber, kNewNoteNumber);
    QCOMPARE(board_->noteWindowCount(), 1);
    Form5a* note = board_->NoteWindows(1);
    QCOMPARE(note->Text3, 3);
    QCOMPARE(note->noteText(), u("付箋, \"quoted\"\r\nsecond line"));
    QVERIFY(note->noteFont().bold());
    QCOMPARE(colorToText(note->noteBackColor()), QString("&H80FFFF"));
    QCOMPARE(note->Text4, QString("2099"));
    QCOMPARE(note->Text9, QString("True"));
    QCOMPARE(note->stacking(), NoteStacking::TopMost);
    QCOMPARE(note->pos(), QPoint(200, 100));
    QVERIFY(note->Timer1.isActive());
    QVERIFY(note->Label2->isVisible());
}

void TestNoteEditor::showingAHiddenNoteMeanwhileCannotCorruptTheEditedNote() {
    writeNote(0, noteFields("150", "150"), "edited one");
    QStringList hidden = noteFields("300", "300");
    hidden[FieldVisible] = "False";
    writeNote(1, hidden, "hidden one");
    const QByteArray hsn0 = home_->read("KovaShell0.hsn");
    board_->restoreNotes();
    board_->CurrentNoteIndex = 1;
    board_->mnuEdit_Click();
    QVERIFY(board_->editorWindow() != nullptr);

    board_->mnuFusenVisible_Click(1);
    board_->editorWindow()->Command2->click();

    QCOMPARE(home_->read("KovaShell0.hsn"), hsn0);
    Form5a* restored = nullptr;
    for (int i = 1; i <= board_->noteWindowCount(); ++i) {
        if (board_->NoteWindows(i)->Text3 == 0)
            restored = board_->NoteWindows(i);
    }
    QVERIFY(restored != nullptr);
    QCOMPARE(restored->noteText(), QString("edited one"));
    QCOMPARE(restored->pos(), QPoint(10, 10));
}

void TestNoteEditor::largeNoteOpensALargerEditor() {
    QStringList lines;
    for (int i = 0; i < 20; ++i)
        lines << QStringLiteral("line %1 of a long and rather wide note text, wide enough").arg(i);
    writeNote(0, noteFields(), lines.join("\r\n"));
    writeNote(1, noteFields(), "small");
    board_->restoreNotes();

    Form5a* big = board_->NoteWindows(1);
    const int noteHeight = pixelsToTwips(big->height());
    const int noteWidth = pixelsToTwips(big->width());
    QVERIFY(noteHeight > 2600);
    QVERIFY(noteWidth > 4300);
    board_->CurrentNoteIndex = 1;
    board_->mnuEdit_Click();
    Form4a* editor = board_->editorWindow();
    // Within the one pixel a window can be off by.
    QVERIFY(qAbs(editor->heightTwips() - (noteHeight + 1600)) < 15);
    QVERIFY(qAbs(editor->widthTwips() - (noteWidth + 500)) < 15);
    editor->Command2->click();

    // A small note leaves the editor at its own (minimum) size.
    board_->CurrentNoteIndex = 1;
    QCOMPARE(board_->NoteWindows(1)->noteText(), QString("small"));
    board_->mnuEdit_Click();
    editor = board_->editorWindow();
    QCOMPARE(editor->heightTwips(), 4125);
    QCOMPARE(editor->widthTwips(), 4710);
}

void TestNoteEditor::windowKeepsItsMinimumAndControlsFollowTheBottomEdge() {
    Form4a* editor = openNewEditor();
    editor->resize(100, 100);
    QCOMPARE(editor->widthTwips(), 4710);
    QCOMPARE(editor->heightTwips(), 4125);

    // The rule counts the whole window, frame included, as the user sees it.
    editor->resize(600, 500);
    const int windowWidth = editor->widthTwips();
    const int textHeight = editor->heightTwips() - 1200;
    QVERIFY(windowWidth >= 9000);
    QCOMPARE(editor->Text1->size(),
             QSize(twipsToPixels(windowWidth - 100), twipsToPixels(textHeight)));
    QCOMPARE(editor->Command1->pos(),
             QPoint(twipsToPixels(windowWidth - 1950), twipsToPixels(textHeight + 75)));
    QCOMPARE(editor->Command2->pos(),
             QPoint(twipsToPixels(windowWidth - 990), twipsToPixels(textHeight + 75)));
    QCOMPARE(editor->Label1[8]->pos(), QPoint(twipsToPixels(120), twipsToPixels(textHeight + 160)));
    for (QLabel* label : editor->Label1)
        QCOMPARE(label->y(), twipsToPixels(textHeight + 160));
    // The buttons stay inside the window.
    const QPoint buttonBottom =
        editor->Command2->mapTo(editor, editor->Command2->rect().bottomRight());
    QVERIFY(editor->rect().contains(buttonBottom));
}

void TestNoteEditor::timerStripReadsInOrderWithoutOverlap() {
    Form4a* editor = openNewEditor();
    editor->setTimerStrip({"2027", "12", "31", "23", "59"}, true);
    const int order[] = {8, 0, 5, 1, 6, 2, 3, 7, 4};
    const int lefts[] = {840, 1320, 1680, 2040, 2400, 1200, 1560, 2280, 120};
    QCOMPARE(editor->Label1[8]->x(), twipsToPixels(120));
    int previousRight = 0;
    for (int i : order) {
        QLabel* label = editor->Label1[size_t(i)];
        QVERIFY(label->isVisible());
        QVERIFY2(label->x() >= previousRight, qPrintable(QString::number(i)));
        QVERIFY(label->x() >= twipsToPixels(lefts[i]));
        QCOMPARE(label->y(), editor->Label1[8]->y());
        previousRight = label->x() + label->width();
    }
    QVERIFY(previousRight <= editor->Command1->x());
}

void TestNoteEditor::fontAndColourDialogsChangeOnlyWhenConfirmed() {
    Form4a* editor = openNewEditor();
    const QFont before = editor->Text1->font();
    fake_->fontAnswer = std::nullopt;
    fake_->colorAnswer = std::nullopt;
    editor->mnuFont->trigger();
    editor->mnuBackColor->trigger();
    editor->mnuForeColor->trigger();
    QCOMPARE(fake_->fontDialogs, 1);
    QCOMPARE(fake_->colorDialogs, 2);
    QCOMPARE(editor->Text1->font(), before);
    QCOMPARE(colorToText(editor->textBackColor()), QString("&HFFFFFF"));
    QCOMPARE(colorToText(editor->textForeColor()), QString("&H0"));

    QFont chosen("DejaVu Sans", 12);
    chosen.setBold(true);
    chosen.setItalic(true);
    fake_->fontAnswer = chosen;
    editor->mnuFont->trigger();
    fake_->colorAnswer = QColor(0x11, 0x22, 0x33);
    editor->mnuBackColor->trigger();
    fake_->colorAnswer = QColor(255, 0, 0);
    editor->mnuForeColor->trigger();
    QTest::keyClicks(editor->Text1, "styled");
    editor->Command1->click();

    QStringList fields;
    QVERIFY(kova::ReadNoteFields(0, &fields));
    QCOMPARE(fields.mid(0, 6),
             QStringList({"DejaVu Sans", "12", "True", "True", "&H332211", "&HFF"}));
    Form5a* note = board_->NoteWindows(1);
    QVERIFY(note->noteFont().italic());
    QCOMPARE(note->noteForeColor(), QColor(255, 0, 0));
}

void TestNoteEditor::secondEditorIsRefusedWhileOneIsOpen() {
    Form4a* editor = openNewEditor();
    QTest::keyClicks(editor->Text1, "typing");
    board_->mnuNewHusen_Click();
    QCOMPARE(fake_->messages, QStringList({u("他のタグを編集中です。")}));
    QVERIFY(board_->editorWindow() == editor);
    QCOMPARE(editor->Text1->toPlainText(), QString("typing"));

    // Also while the timer dialog stands in for the hidden editor.
    editor->mnuTimer->trigger();
    QVERIFY(editor->isHidden());
    board_->mnuNewHusen_Click();
    QCOMPARE(fake_->messages.size(), 2);
    QVERIFY(editor->isHidden());
}

QTEST_MAIN(TestNoteEditor)
#include "test_note_editor.moc"
