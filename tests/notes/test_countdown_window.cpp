#include "support/fake_platform.h"
#include "support/temp_home.h"

#include "notes/countdown.h"
#include "notes/note_board.h"
#include "notes/note_store.h"
#include "notes/posted_note_window.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

using namespace kova;
using kova::test::FakePlatform;
using kova::test::TempHome;

namespace {

QString u(const char* text) {
    return QString::fromUtf8(text);
}

const QColor kRed(255, 0, 0);

// Counts the times a window is brought to the front.
struct RaiseCounter : QObject {
    int count = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ZOrderChange)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

QStringList timedFields(const QString& zOrder = "False", const QString& visible = "True") {
    return {u("ＭＳ Ｐゴシック"),
            "9",
            "False",
            "False",
            "&HFFFFFF",
            "&H0",
            visible,
            "1500",
            "1500",
            "2002",
            "05",
            "03",
            "12",
            "30",
            zOrder};
}

} // namespace

class TestCountdownWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void dueNoteShowsTimeUpOnRedAndIsRaised();
    void alarmRaisesTheNoteButLeavesTheKeyboardFocusAlone();
    void alarmLeavesATopMostNoteNotTopMost();
    void tickAfterTheTargetMinuteShowsTheOverdueText();
    void countingNoteKeepsTheDesignColours();
    void windowIsAsWideAsTheWiderLine_data();
    void windowIsAsWideAsTheWiderLine();
    void noteWithoutTimerHasNoCountdown();
    void hiddenTimedNoteCountsDownWhenShownAgain();
    void clockSetBackCountsAgainButStaysRed();

private:
    Form5a* restore(const QStringList& fields, const QString& text);

    std::unique_ptr<TempHome> home_;
    std::optional<FixedNoteClock> clock_;
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<NoteBoard> board_;
};

void TestCountdownWindow::init() {
    home_ = std::make_unique<TempHome>();
    fake_ = std::make_unique<FakePlatform>();
    clock_.emplace(QDateTime(QDate(2002, 5, 3), QTime(12, 30, 10)));
    board_ = std::make_unique<NoteBoard>();
}

void TestCountdownWindow::cleanup() {
    board_.reset();
    clock_.reset();
    fake_.reset();
    home_.reset();
}

Form5a* TestCountdownWindow::restore(const QStringList& fields, const QString& text) {
    if (!kova::WriteNoteFields(0, fields) || !kova::WriteNoteText(0, text))
        return nullptr;
    board_->restoreNotes();
    return board_->NoteWindows(board_->noteWindowCount());
}

void TestCountdownWindow::dueNoteShowsTimeUpOnRedAndIsRaised() {
    Form5a* note = restore(timedFields(), "due");
    QVERIFY(note != nullptr);
    QCOMPARE(note->Label2->text(), u("時間です"));
    QVERIFY(note->Label2->isVisible());
    QCOMPARE(note->Label2->palette().color(QPalette::Window), kRed);
    QVERIFY(note->Timer1.isActive());
    QCOMPARE(note->Timer1.interval(), 30000);
}

void TestCountdownWindow::alarmRaisesTheNoteButLeavesTheKeyboardFocusAlone() {
    Form5a* note = restore(timedFields(), "due");
    QVERIFY(note != nullptr);
    auto* other = new QWidget;
    other->show();
    other->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(other));
    RaiseCounter raises;
    note->installEventFilter(&raises);
    for (int tick = 0; tick < 2; ++tick) {
        note->TimeCal();
        QCoreApplication::processEvents();
    }
    QCOMPARE(raises.count, 2);
    QCOMPARE(QApplication::activeWindow(), other);
    QVERIFY(!note->isActiveWindow());
    delete other;
}

void TestCountdownWindow::alarmLeavesATopMostNoteNotTopMost() {
    // At start-up the stored state is applied after the first count; the
    // tick then lifts the note and lets it down again.
    Form5a* note = restore(timedFields("True"), "top");
    QCOMPARE(note->Label2->text(), u("時間です"));
    QCOMPARE(note->stacking(), NoteStacking::TopMost);
    note->TimeCal();
    QCOMPARE(note->stacking(), NoteStacking::Normal);
    QVERIFY(!(note->windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(note->isVisible());
}

void TestCountdownWindow::tickAfterTheTargetMinuteShowsTheOverdueText() {
    Form5a* note = restore(timedFields(), "due");
    clock_->set(QDateTime(QDate(2002, 5, 3), QTime(12, 31)));
    note->TimeCal();
    QCOMPARE(note->Label2->text(), u("予定時刻 2002/05/03 12：30を過ぎました。"));
    QCOMPARE(note->Label2->palette().color(QPalette::Window), kRed);
    QCOMPARE(note->width(), note->Label2->width());
}

void TestCountdownWindow::countingNoteKeepsTheDesignColours() {
    clock_->set(QDateTime(QDate(2002, 5, 1), QTime(10, 45)));
    Form5a* note = restore(timedFields(), "later");
    QCOMPARE(note->Label2->text(), u("あと2日1時間45分"));
    QVERIFY(note->Label2->palette().color(QPalette::Window) != kRed);
    QCOMPARE(note->Label2->pos(), QPoint(0, 0));
    QCOMPARE(note->Label1->y(), note->Label2->height());
    QCOMPARE(note->height(), note->Label2->height() + note->Label1->height());
}

void TestCountdownWindow::windowIsAsWideAsTheWiderLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("countdownWider");
    QTest::newRow("countdown wider") << "a" << true;
    QTest::newRow("text wider") << "a note text that is clearly wider than any countdown line"
                                << false;
}

void TestCountdownWindow::windowIsAsWideAsTheWiderLine() {
    QFETCH(QString, text);
    QFETCH(bool, countdownWider);
    clock_->set(QDateTime(QDate(2001, 1, 1), QTime(0, 0)));
    Form5a* note = restore(timedFields(), text);
    QCOMPARE(note->Label2->width() > note->Label1->width(), countdownWider);
    QCOMPARE(note->width(), std::max(note->Label1->width(), note->Label2->width()));

    // The width rule runs on every tick, also when the text stays.
    clock_->set(QDateTime(QDate(2002, 5, 3), QTime(12, 29)));
    note->TimeCal();
    QCOMPARE(note->width(), std::max(note->Label1->width(), note->Label2->width()));
}

void TestCountdownWindow::noteWithoutTimerHasNoCountdown() {
    QStringList fields = timedFields();
    for (int i = FieldTimerYear; i <= FieldTimerMinute; ++i)
        fields[i].clear();
    Form5a* note = restore(fields, "plain");
    QVERIFY(note->Label2->isHidden());
    QVERIFY(!note->Timer1.isActive());
    QCOMPARE(note->size(), note->Label1->size());
}

void TestCountdownWindow::hiddenTimedNoteCountsDownWhenShownAgain() {
    Form5a* hidden = restore(timedFields("False", "False"), "hidden");
    QVERIFY(hidden->isHidden());
    QVERIFY(!hidden->Timer1.isActive());
    board_->mnuFusenVisible_Click(0);
    Form5a* shown = board_->NoteWindows(board_->noteWindowCount());
    QVERIFY(shown->isVisible());
    QCOMPARE(shown->Label2->text(), u("時間です"));
    QVERIFY(shown->Timer1.isActive());
}

void TestCountdownWindow::clockSetBackCountsAgainButStaysRed() {
    Form5a* note = restore(timedFields(), "due");
    clock_->set(QDateTime(QDate(2002, 5, 3), QTime(12, 0)));
    note->TimeCal();
    QCOMPARE(note->Label2->text(), u("あと30分"));
    QCOMPARE(note->Label2->palette().color(QPalette::Window), kRed);
}

QTEST_MAIN(TestCountdownWindow)
#include "test_countdown_window.moc"
