#include "support/fake_platform.h"
#include "support/temp_home.h"

#include "notes/countdown.h"
#include "notes/note_board.h"
#include "notes/note_editor.h"
#include "notes/note_store.h"
#include "notes/posted_note_window.h"
#include "notes/timer_dialog.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace kova;
using kova::test::FakePlatform;
using kova::test::TempHome;

namespace {

QString u(const char* text) {
    return QString::fromUtf8(text);
}

const QDateTime kOpening(QDate(2002, 5, 3), QTime(9, 5, 12));

QStringList valueTexts(const Form6a* dialog) {
    QStringList out;
    for (QLabel* label : dialog->valueLabels)
        out << label->text();
    return out;
}

QList<int> barValues(const Form6a* dialog) {
    QList<int> out;
    for (QScrollBar* bar : dialog->scrollBars)
        out << bar->value();
    return out;
}

QStringList stripTexts(const Form4a* editor) {
    QStringList out;
    for (const QString& t : editor->timerStrip())
        out << t;
    return out;
}

} // namespace

class TestTimerDialog : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void openingWithoutTimerShowsTheCurrentMinuteAndHidesTheEditor();
    void setButtonWritesTheStripAndShowsTheEditor();
    void dayThirtyOneThenAprilBecomesThirty();
    void februaryFollowsTheLeapYear_data();
    void februaryFollowsTheLeapYear();
    void calendarClickSetsTheDateButNotTheBars();
    void cancelAndCloseBoxKeepTheStrip_data();
    void cancelAndCloseBoxKeepTheStrip();
    void clearButtonTakesTheTimerOffThePostedNote();
    void earlierStoredYearStillOpens();
    void logoOpensTheHomePageAndTheDialogStays();
    void clockLineFollowsTheClock();
    void postedTimerStartsTheCountdown();

private:
    Form6a* openDialog();

    std::unique_ptr<TempHome> home_;
    std::optional<FixedNoteClock> clock_;
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<NoteBoard> board_;
    Form4a* editor_ = nullptr;
};

void TestTimerDialog::init() {
    home_ = std::make_unique<TempHome>();
    fake_ = std::make_unique<FakePlatform>();
    clock_.emplace(kOpening);
    board_ = std::make_unique<NoteBoard>();
    board_->mnuNewHusen_Click();
    editor_ = board_->editorWindow();
    QVERIFY(editor_ != nullptr);
}

void TestTimerDialog::cleanup() {
    board_.reset();
    clock_.reset();
    fake_.reset();
    home_.reset();
}

Form6a* TestTimerDialog::openDialog() {
    editor_->mnuTimer->trigger();
    Form6a* dialog = editor_->timerDialog();
    if (dialog == nullptr)
        qFatal("no timer dialog");
    return dialog;
}

void TestTimerDialog::openingWithoutTimerShowsTheCurrentMinuteAndHidesTheEditor() {
    editor_->move(120, 90);
    Form6a* dialog = openDialog();
    QCOMPARE(dialog->windowTitle(), u("タイマー設定"));
    QVERIFY(dialog->isVisible());
    QVERIFY(editor_->isHidden());
    QCOMPARE(dialog->pos(), QPoint(120, 90));
    QCOMPARE(valueTexts(dialog), QStringList({"2002", "05", "03", "09", "05"}));
    QCOMPARE(barValues(dialog), QList<int>({2002, 5, 3, 9, 5}));
    QCOMPARE(dialog->MonthView1->selectedDate(), QDate(2002, 5, 3));
    QCOMPARE(dialog->Label0->text(), u("2002/05/03  09：05"));
    QCOMPARE(dialog->scrollBars[0]->minimum(), 2002);
    QCOMPARE(dialog->scrollBars[0]->maximum(), 2099);
    QCOMPARE(dialog->scrollBars[1]->minimum(), 1);
    QCOMPARE(dialog->scrollBars[1]->maximum(), 12);
    QCOMPARE(dialog->scrollBars[2]->maximum(), 31);
    QCOMPARE(dialog->scrollBars[3]->maximum(), 23);
    QCOMPARE(dialog->scrollBars[4]->maximum(), 59);
    QVERIFY(dialog->Timer1.isActive());
    QCOMPARE(dialog->Timer1.interval(), 3000);
    QCOMPARE(dialog->Command2->text(), u("タイマー設定"));
    QCOMPARE(dialog->Command1->text(), u("タイマー取消"));
    QCOMPARE(dialog->Command3->text(), QString("Cancel"));
}

void TestTimerDialog::setButtonWritesTheStripAndShowsTheEditor() {
    Form6a* dialog = openDialog();
    dialog->scrollBars[3]->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    dialog->scrollBars[4]->setValue(0);
    QCOMPARE(valueTexts(dialog), QStringList({"2002", "05", "03", "10", "00"}));
    dialog->Command2->click();

    QVERIFY(editor_->timerDialog() == nullptr || !editor_->timerDialog()->isVisible());
    QVERIFY(editor_->isVisible());
    QVERIFY(editor_->hasTimer());
    QCOMPARE(stripTexts(editor_), QStringList({"2002", "05", "03", "10", "00"}));
    for (QLabel* label : editor_->Label1)
        QVERIFY(label->isVisible());

    // Reopening starts again from the strip.
    dialog = openDialog();
    QCOMPARE(valueTexts(dialog), QStringList({"2002", "05", "03", "10", "00"}));
    QCOMPARE(barValues(dialog), QList<int>({2002, 5, 3, 10, 0}));
}

void TestTimerDialog::dayThirtyOneThenAprilBecomesThirty() {
    Form6a* dialog = openDialog();
    dialog->scrollBars[2]->setValue(31);
    QCOMPARE(dialog->valueLabels[2]->text(), QString("31"));
    dialog->scrollBars[1]->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(dialog->valueLabels[1]->text(), QString("04"));
    QCOMPARE(dialog->valueLabels[2]->text(), QString("30"));
    QCOMPARE(dialog->scrollBars[2]->maximum(), 30);
}

void TestTimerDialog::februaryFollowsTheLeapYear_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("day");
    QTest::addColumn<int>("dayMaximum");
    QTest::newRow("2003") << 2003 << "28" << 28;
    QTest::newRow("2004") << 2004 << "29" << 29;
    QTest::newRow("2005") << 2005 << "28" << 28;
}

void TestTimerDialog::februaryFollowsTheLeapYear() {
    QFETCH(int, year);
    QFETCH(QString, day);
    QFETCH(int, dayMaximum);
    Form6a* dialog = openDialog();
    dialog->scrollBars[0]->setValue(year);
    dialog->scrollBars[2]->setValue(31);
    dialog->scrollBars[1]->setValue(2);
    QCOMPARE(dialog->valueLabels[2]->text(), day);
    QCOMPARE(dialog->scrollBars[2]->maximum(), dayMaximum);

    // Stepping the year re-applies February: 29 in 2004 becomes 28 in 2005.
    if (year == 2004) {
        dialog->scrollBars[0]->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(dialog->valueLabels[0]->text(), QString("2005"));
        QCOMPARE(dialog->valueLabels[2]->text(), QString("28"));
        QCOMPARE(dialog->scrollBars[2]->maximum(), 28);
    }
}

void TestTimerDialog::calendarClickSetsTheDateButNotTheBars() {
    Form6a* dialog = openDialog();
    dialog->MonthView1->setSelectedDate(QDate(2003, 11, 30));
    emit dialog->MonthView1->clicked(QDate(2003, 11, 30));
    QCOMPARE(valueTexts(dialog), QStringList({"2003", "11", "30", "09", "05"}));
    QCOMPARE(barValues(dialog), QList<int>({2002, 5, 3, 9, 5}));
    QCOMPARE(dialog->scrollBars[2]->maximum(), 30);
}

void TestTimerDialog::cancelAndCloseBoxKeepTheStrip_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Cancel") << false;
    QTest::newRow("close box") << true;
}

void TestTimerDialog::cancelAndCloseBoxKeepTheStrip() {
    QFETCH(bool, closeBox);
    editor_->setTimerStrip({"2003", "01", "02", "03", "04"}, true);
    Form6a* dialog = openDialog();
    const QPointer<Form6a> guard(dialog);
    QCOMPARE(valueTexts(dialog), QStringList({"2003", "01", "02", "03", "04"}));
    dialog->scrollBars[4]->setValue(30);
    dialog->scrollBars[1]->setValue(7);
    if (closeBox)
        dialog->close();
    else
        dialog->Command3->click();
    QVERIFY(editor_->isVisible());
    QVERIFY(editor_->hasTimer());
    QCOMPARE(stripTexts(editor_), QStringList({"2003", "01", "02", "03", "04"}));
    QVERIFY(guard.isNull() || guard->isHidden());
}

void TestTimerDialog::clearButtonTakesTheTimerOffThePostedNote() {
    editor_->setTimerStrip({"2003", "01", "02", "03", "04"}, true);
    Form6a* dialog = openDialog();
    dialog->Command1->click();
    QVERIFY(editor_->isVisible());
    QVERIFY(!editor_->hasTimer());
    QCOMPARE(stripTexts(editor_), QStringList({"", "", "", "", ""}));
    for (QLabel* label : editor_->Label1)
        QVERIFY(label->isHidden());

    QTest::keyClicks(editor_->Text1, "no timer");
    editor_->Command1->click();
    QStringList fields;
    QVERIFY(kova::ReadNoteFields(0, &fields));
    QCOMPARE(fields.mid(FieldTimerYear, 5), QStringList({"", "", "", "", ""}));
    Form5a* note = board_->NoteWindows(1);
    QVERIFY(note->Label2->isHidden());
    QVERIFY(!note->Timer1.isActive());
}

void TestTimerDialog::earlierStoredYearStillOpens() {
    clock_->set(QDateTime(QDate(2006, 8, 1), QTime(7, 0)));
    editor_->setTimerStrip({"2004", "02", "29", "12", "30"}, true);
    Form6a* dialog = openDialog();
    QCOMPARE(valueTexts(dialog), QStringList({"2004", "02", "29", "12", "30"}));
    QCOMPARE(dialog->scrollBars[0]->minimum(), 2004);
    QCOMPARE(dialog->scrollBars[0]->value(), 2004);
    QCOMPARE(dialog->scrollBars[2]->maximum(), 29);
    QCOMPARE(dialog->MonthView1->selectedDate(), QDate(2004, 2, 29));
    dialog->scrollBars[0]->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(dialog->valueLabels[0]->text(), QString("2005"));
    QCOMPARE(dialog->valueLabels[2]->text(), QString("28"));
}

void TestTimerDialog::logoOpensTheHomePageAndTheDialogStays() {
    Form6a* dialog = openDialog();
    QTest::mouseClick(dialog->Picture1, Qt::LeftButton);
    QCOMPARE(fake_->opened, QStringList({"https://kovashell.example.org/"}));
    QVERIFY(dialog->isVisible());
    QVERIFY(editor_->isHidden());
}

void TestTimerDialog::clockLineFollowsTheClock() {
    Form6a* dialog = openDialog();
    clock_->set(QDateTime(QDate(2002, 5, 3), QTime(10, 0)));
    dialog->Timer1_Timer();
    QCOMPARE(dialog->Label0->text(), u("2002/05/03  10：00"));
}

void TestTimerDialog::postedTimerStartsTheCountdown() {
    Form6a* dialog = openDialog();
    dialog->scrollBars[2]->setValue(5);
    dialog->scrollBars[3]->setValue(12);
    dialog->scrollBars[4]->setValue(30);
    dialog->Command2->click();
    QTest::keyClicks(editor_->Text1, "meeting");
    editor_->Command1->click();

    QStringList fields;
    QVERIFY(kova::ReadNoteFields(0, &fields));
    QCOMPARE(fields.mid(FieldTimerYear, 5), QStringList({"2002", "05", "05", "12", "30"}));
    Form5a* note = board_->NoteWindows(1);
    QVERIFY(note->Label2->isVisible());
    QCOMPARE(note->Label2->text(), u("あと2日3時間25分"));
    QVERIFY(note->Timer1.isActive());
    QCOMPARE(note->Timer1.interval(), 30000);
    QCOMPARE(note->Label1->y(), note->Label2->height());
}

QTEST_MAIN(TestTimerDialog)
#include "test_timer_dialog.moc"
