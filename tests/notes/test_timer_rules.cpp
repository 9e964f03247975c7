#include "notes/timer_rules.h"

#include <QTest>

using kova::TimerValues;
using F = kova::TimerValues::Field;

namespace {

const QDateTime kOpening(QDate(2002, 5, 3), QTime(9, 5, 41));
const std::array<QString, 5> kNoStrip{};

std::array<QString, 5> strip(const char* y, const char* mo, const char* d, const char* h,
                             const char* mi) {
    return {QString::fromLatin1(y), QString::fromLatin1(mo), QString::fromLatin1(d),
            QString::fromLatin1(h), QString::fromLatin1(mi)};
}

} // namespace

class TestTimerRules : public QObject {
    Q_OBJECT
private slots:
    void clockLineHasTwoBlanksAndAFullWidthColon();
    void valueLabelsExceptTheYearArePaddedToTwoDigits_data();
    void valueLabelsExceptTheYearArePaddedToTwoDigits();
    void monthStepKeepsTheDayWithinTheMonth_data();
    void monthStepKeepsTheDayWithinTheMonth();
    void yearStepReappliesFebruaryOnly_data();
    void yearStepReappliesFebruaryOnly();
    void barsStayWithinTheirRanges();
};

void TestTimerRules::clockLineHasTwoBlanksAndAFullWidthColon() {
    QCOMPARE(kova::timerClockLine(kOpening), QString::fromUtf8("2002/05/03  09：05"));
    QCOMPARE(kova::timerClockLine(QDateTime(QDate(2010, 12, 31), QTime(23, 59))),
             QString::fromUtf8("2010/12/31  23：59"));
}

void TestTimerRules::valueLabelsExceptTheYearArePaddedToTwoDigits_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("shown");
    QTest::newRow("month") << int(F::Month) << "5"
                           << "05";
    QTest::newRow("day") << int(F::Day) << "7"
                         << "07";
    QTest::newRow("hour zero") << int(F::Hour) << "0"
                               << "00";
    QTest::newRow("minute two digits") << int(F::Minute) << "42"
                                       << "42";
    QTest::newRow("year not padded") << int(F::Year) << "5"
                                     << "5";
}

void TestTimerRules::valueLabelsExceptTheYearArePaddedToTwoDigits() {
    QFETCH(int, field);
    QFETCH(QString, written);
    QFETCH(QString, shown);
    TimerValues v;
    v.open(kOpening, false, kNoStrip);
    v.setLabel(F(field), written);
    QCOMPARE(v.label(F(field)), shown);
}

void TestTimerRules::monthStepKeepsTheDayWithinTheMonth_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("day");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("dayAfter");
    QTest::addColumn<int>("dayMaximum");
    QTest::newRow("31 then April") << "2002"
                                   << "31" << 4 << "30" << 30;
    QTest::newRow("31 then February 2004") << "2004"
                                           << "31" << 2 << "29" << 29;
    QTest::newRow("31 then February 2003") << "2003"
                                           << "31" << 2 << "28" << 28;
    QTest::newRow("30 then February 2000") << "2000"
                                           << "30" << 2 << "29" << 29;
    QTest::newRow("29 then February 2100") << "2100"
                                           << "29" << 2 << "28" << 28;
    QTest::newRow("15 then February keeps 15") << "2003"
                                               << "15" << 2 << "15" << 28;
    QTest::newRow("30 then November keeps 30") << "2002"
                                               << "30" << 11 << "30" << 30;
    QTest::newRow("31 then December") << "2002"
                                      << "31" << 12 << "31" << 31;
    QTest::newRow("30 then January") << "2002"
                                     << "30" << 1 << "30" << 31;
}

void TestTimerRules::monthStepKeepsTheDayWithinTheMonth() {
    QFETCH(QString, year);
    QFETCH(QString, day);
    QFETCH(int, month);
    QFETCH(QString, dayAfter);
    QFETCH(int, dayMaximum);
    TimerValues v;
    v.open(kOpening, true, strip("2002", "05", "01", "09", "05"));
    v.setLabel(F::Year, year);
    v.barChanged(F::Day, day.toInt());
    QCOMPARE(v.label(F::Day), day);
    v.barChanged(F::Month, month);
    QCOMPARE(v.label(F::Month), QString::number(month).rightJustified(2, QLatin1Char('0')));
    QCOMPARE(v.label(F::Day), dayAfter);
    QCOMPARE(v.bar(F::Day).maximum, dayMaximum);
    QVERIFY(v.bar(F::Day).value <= dayMaximum);
}

void TestTimerRules::yearStepReappliesFebruaryOnly_data() {
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("dayAfter");
    QTest::addColumn<int>("dayMaximum");
    QTest::newRow("29 February 2004 then 2005") << "02"
                                                << "29" << 2005 << "28" << 28;
    QTest::newRow("28 February 2004 then 2008 lets 29 again") << "02"
                                                              << "28" << 2008 << "28" << 29;
    QTest::newRow("31 March ignores the year") << "03"
                                               << "31" << 2005 << "31" << 31;
}

void TestTimerRules::yearStepReappliesFebruaryOnly() {
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(int, year);
    QFETCH(QString, dayAfter);
    QFETCH(int, dayMaximum);
    TimerValues v;
    v.open(kOpening, true,
           strip("2004", month.toLatin1().constData(), day.toLatin1().constData(), "12", "00"));
    v.barChanged(F::Year, year);
    QCOMPARE(v.label(F::Year), QString::number(year));
    QCOMPARE(v.label(F::Day), dayAfter);
    QCOMPARE(v.bar(F::Day).maximum, dayMaximum);
}

void TestTimerRules::barsStayWithinTheirRanges() {
    TimerValues v;
    v.open(kOpening, false, kNoStrip);
    v.barChanged(F::Hour, 24);
    QCOMPARE(v.label(F::Hour), QString("23"));
    v.barChanged(F::Minute, -1);
    QCOMPARE(v.label(F::Minute), QString("00"));
    v.barChanged(F::Year, 2100);
    QCOMPARE(v.label(F::Year), QString("2099"));
}

QTEST_MAIN(TestTimerRules)
#include "test_timer_rules.moc"
