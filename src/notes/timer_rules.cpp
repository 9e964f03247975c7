#include "timer_rules.h"

#include "base/twips_and_numbers.h"

#include <algorithm>

namespace kova {

namespace {

QString two(int value) {
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

int clampToInt(long long value) {
    return int(std::clamp<long long>(value, -1000000, 1000000));
}

} // namespace

bool isLeapYear(long long year) {
    return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
}

QString timerClockLine(const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    return QString::number(d.year()).rightJustified(4, QLatin1Char('0')) + QLatin1Char('/') +
           two(d.month()) + QLatin1Char('/') + two(d.day()) + QStringLiteral("  ") + two(t.hour()) +
           QStringLiteral("：") + two(t.minute());
}

void TimerValues::open(const QDateTime& now, bool hasTimer, const std::array<QString, 5>& strip) {
    bars_[Year].minimum = now.date().year();
    bars_[Year].maximum = 2099;
    if (hasTimer) {
        for (int i = Year; i <= Minute; ++i)
            setLabel(Field(i), strip[size_t(i)]);
        calendarDate_ =
            QDate(clampToInt(leadingNumber(strip[Year])), clampToInt(leadingNumber(strip[Month])),
                  clampToInt(leadingNumber(strip[Day])));
    } else {
        const QDate d = now.date();
        const QTime t = now.time();
        calendarDate_ = d;
        setLabel(Year, QString::number(d.year()));
        setLabel(Month, QString::number(d.month()));
        setLabel(Day, QString::number(d.day()));
        setLabel(Hour, QString::number(t.hour()));
        setLabel(Minute, QString::number(t.minute()));
    }
    for (int i = Year; i <= Minute; ++i) {
        TimerBar& bar = bars_[size_t(i)];
        const int value = clampToInt(leadingNumber(labels_[size_t(i)]));
        // A timer set in an earlier year (or past the bar's end through the
        // calendar) still opens: the year bar then reaches to it.
        if (i == Year) {
            bar.minimum = std::min(bar.minimum, value);
            bar.maximum = std::max(bar.maximum, value);
        }
        bar.value = std::clamp(value, bar.minimum, bar.maximum);
    }
}

void TimerValues::setLabel(Field field, const QString& text) {
    QString value = text;
    if (field != Year && value.size() == 1)
        value.prepend(QLatin1Char('0'));
    labels_[field] = value;
    if (field == Month || (field == Year && labels_[Month] == QLatin1String("02")))
        applyMonthRule();
}

void TimerValues::applyMonthRule() {
    const QString& month = labels_[Month];
    int maximum = 0;
    if (month == QLatin1String("01") || month == QLatin1String("03") ||
        month == QLatin1String("05") || month == QLatin1String("07") ||
        month == QLatin1String("08") || month == QLatin1String("10") ||
        month == QLatin1String("12")) {
        maximum = 31;
    } else if (month == QLatin1String("04") || month == QLatin1String("06") ||
               month == QLatin1String("09") || month == QLatin1String("11")) {
        maximum = 30;
        if (labels_[Day] == QLatin1String("31"))
            setLabel(Day, QStringLiteral("30"));
    } else if (month == QLatin1String("02")) {
        maximum = isLeapYear(leadingNumber(labels_[Year])) ? 29 : 28;
        if (leadingNumber(labels_[Day]) > maximum)
            setLabel(Day, QString::number(maximum));
    } else {
        return;
    }
    TimerBar& dayBar = bars_[Day];
    dayBar.maximum = maximum;
    // A bar cannot stand beyond its end; the label keeps what the rule made.
    dayBar.value = std::min(dayBar.value, maximum);
}

void TimerValues::barChanged(Field field, int value) {
    TimerBar& bar = bars_[field];
    bar.value = std::clamp(value, bar.minimum, bar.maximum);
    setLabel(field, QString::number(bar.value));
}

void TimerValues::dateClicked(const QDate& date) {
    setLabel(Year, QString::number(date.year()));
    setLabel(Month, QString::number(date.month()));
    setLabel(Day, QString::number(date.day()));
}

} // namespace kova
