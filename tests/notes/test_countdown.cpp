#include "notes/countdown.h"

#include <QTest>

using kova::computeCountdown;
using kova::CountdownResult;
using kova::FixedNoteClock;
using kova::NoteClock;
using kova::TimerFields;

Q_DECLARE_METATYPE(TimerFields)

namespace {

QDateTime at(int y, int mo, int d, int h, int mi, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

TimerFields target(const char* y, const char* mo, const char* d, const char* h, const char* mi) {
    return {QString::fromUtf8(y), QString::fromUtf8(mo), QString::fromUtf8(d), QString::fromUtf8(h),
            QString::fromUtf8(mi)};
}

const char* const kUnchanged = "(unchanged)";

} // namespace

class TestCountdown : public QObject {
    Q_OBJECT
private slots:
    void countdownLineFollowsTheBorrowingRules_data();
    void countdownLineFollowsTheBorrowingRules();
    void overdueTextQuotesTheStoredTextsVerbatim();
    void fixedClockIsWhatNoteClockReturnsUntilReleased();
};

void TestCountdown::countdownLineFollowsTheBorrowingRules_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<TimerFields>("target");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("alarm");

    const auto row = [](const char* name, QDateTime now, TimerFields t, const char* text,
                        bool alarm) {
        QTest::newRow(name) << now << t << QString::fromUtf8(text) << alarm;
    };

    // Examples worked through in the description of the countdown.
    row("days hours minutes with a minute borrow", at(2002, 5, 1, 10, 45),
        target("2002", "05", "03", "12", "30"), "あと2日1時間45分", false);
    row("lower units shown once an hour is shown", at(2002, 5, 3, 11, 30),
        target("2002", "05", "03", "12", "30"), "あと1時間0分", false);
    row("borrow into December", at(2002, 12, 31, 12, 0), target("2003", "01", "01", "12", "00"),
        "あと1日0時間0分", false);
    row("February 2004 lends 29 days", at(2004, 2, 28, 23, 0),
        target("2004", "03", "01", "00", "00"), "あと1日1時間0分", false);
    row("February 2003 lends 28 days", at(2003, 2, 28, 23, 0),
        target("2003", "03", "01", "00", "00"), "あと1時間0分", false);
    row("only one month length is borrowed", at(2003, 1, 31, 10, 0),
        target("2003", "03", "01", "10", "00"), "あと1ヶ月-2日0時間0分", false);

    // Leap-year rule on centuries.
    row("2000 is a leap year", at(2000, 2, 28, 23, 0), target("2000", "03", "01", "00", "00"),
        "あと1日1時間0分", false);
    row("2100 is not a leap year", at(2100, 2, 28, 23, 0), target("2100", "03", "01", "00", "00"),
        "あと1時間0分", false);

    // Each display rule.
    row("years shown with every lower unit", at(2002, 5, 3, 12, 30),
        target("2004", "06", "04", "13", "31"), "あと2年1ヶ月1日1時間1分", false);
    row("year reached through a month borrow", at(2002, 12, 1, 0, 0),
        target("2004", "01", "01", "00", "00"), "あと1年1ヶ月0日0時間0分", false);
    row("months shown with zero lower units", at(2002, 5, 3, 12, 30),
        target("2002", "07", "03", "12", "30"), "あと2ヶ月0日0時間0分", false);
    row("minutes only", at(2002, 5, 3, 12, 25), target("2002", "05", "03", "12", "30"), "あと5分",
        false);
    row("seconds do not count", at(2002, 5, 3, 12, 29, 59), target("2002", "05", "03", "12", "30"),
        "あと1分", false);
    row("last minute of the year to New Year", at(2002, 12, 31, 23, 59),
        target("2003", "01", "01", "00", "00"), "あと1分", false);

    // Due and overdue.
    row("target in the current minute is due", at(2002, 5, 3, 12, 30, 45),
        target("2002", "05", "03", "12", "30"), "時間です", true);
    row("one minute ago is overdue", at(2002, 5, 3, 12, 31), target("2002", "05", "03", "12", "30"),
        "予定時刻 2002/05/03 12：30を過ぎました。", true);
    row("years ago is overdue", at(2005, 1, 1, 0, 0), target("2002", "05", "03", "12", "30"),
        "予定時刻 2002/05/03 12：30を過ぎました。", true);
    row("midnight passed on New Year", at(2003, 1, 1, 0, 0), target("2002", "12", "31", "23", "59"),
        "予定時刻 2002/12/31 23：59を過ぎました。", true);

    // Texts that are not numbers count as 0.
    row("letters for hour and minute count as zero", at(2002, 5, 2, 0, 0),
        target("2002", "05", "03", "ab", "cd"), "あと1日0時間0分", false);
    row("digits followed by letters use the digits", at(2002, 5, 3, 12, 0),
        target("2002", "05", "03", "12x", "30y"), "あと30分", false);
    row("letters for the year make the target overdue", at(2002, 5, 3, 12, 0),
        target("abcd", "05", "03", "12", "30"), "予定時刻 abcd/05/03 12：30を過ぎました。", true);

    // Out-of-range texts run through the same arithmetic.
    row("minute beyond 59 counts on", at(2002, 5, 3, 12, 30),
        target("2002", "05", "03", "12", "99"), "あと69分", false);
    row("month 00 in December fits no rule", at(2002, 12, 15, 12, 30),
        target("2003", "00", "01", "12", "30"), kUnchanged, false);
    row("negative day fits no rule", at(2002, 5, 3, 12, 30),
        target("2002", "06", "-40", "12", "30"), kUnchanged, false);
}

void TestCountdown::countdownLineFollowsTheBorrowingRules() {
    QFETCH(QDateTime, now);
    QFETCH(TimerFields, target);
    QFETCH(QString, text);
    QFETCH(bool, alarm);

    const CountdownResult result = computeCountdown(now, target);
    if (text == QLatin1String(kUnchanged)) {
        QVERIFY(!result.changed);
    } else {
        QVERIFY(result.changed);
        QCOMPARE(result.text, text);
    }
    QCOMPARE(result.alarm, alarm);
}

void TestCountdown::overdueTextQuotesTheStoredTextsVerbatim() {
    const CountdownResult result =
        computeCountdown(at(2010, 1, 1, 0, 0), target("2002", "5", "3", "9", "5"));
    QVERIFY(result.alarm);
    QCOMPARE(result.text, QString::fromUtf8("予定時刻 2002/5/3 9：5を過ぎました。"));
}

void TestCountdown::fixedClockIsWhatNoteClockReturnsUntilReleased() {
    const QDateTime fixed = at(2002, 5, 3, 9, 5);
    {
        const FixedNoteClock clock(fixed);
        QCOMPARE(NoteClock::now(), fixed);
    }
    const QDateTime before = QDateTime::currentDateTime();
    const QDateTime now = NoteClock::now();
    QVERIFY(now >= before);
    QVERIFY(now.date().year() > 2020);
}

QTEST_MAIN(TestCountdown)
#include "test_countdown.moc"
