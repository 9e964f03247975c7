#include "countdown.h"

#include "base/twips_and_numbers.h"

namespace kova {

namespace {

std::optional<QDateTime>& fixedNow() {
    static std::optional<QDateTime> fixed;
    return fixed;
}

bool isLeapYear(long long year) {
    return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
}

// Days of month `month` of `year`; 0 stands for December of the year before.
// Months outside 0..12 lend nothing.
long long monthLength(long long month, long long year) {
    switch (month) {
    case 0:
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
        return 31;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 2:
        return isLeapYear(year) ? 29 : 28;
    default:
        return 0;
    }
}

QString n(long long value) {
    return QString::number(value);
}

} // namespace

QString overdueText(const TimerFields& t) {
    return QStringLiteral("予定時刻 ") + t.year + QLatin1Char('/') + t.month + QLatin1Char('/') +
           t.day + QLatin1Char(' ') + t.hour + QStringLiteral("：") + t.minute +
           QStringLiteral("を過ぎました。");
}

CountdownResult computeCountdown(const QDateTime& now, const TimerFields& target) {
    const QDate date = now.date();
    const QTime time = now.time();

    long long tY = leadingNumber(target.year);
    long long tMo = leadingNumber(target.month);
    long long tD = leadingNumber(target.day);
    long long tH = leadingNumber(target.hour);
    const long long tMi = leadingNumber(target.minute);

    long long minutes = tMi - time.minute();
    if (minutes < 0) {
        minutes += 60;
        tH -= 1;
    }
    long long hours = tH - time.hour();
    if (hours < 0) {
        hours += 24;
        tD -= 1;
    }
    long long days = tD - date.day();
    if (days < 0) {
        tMo -= 1;
        days += monthLength(tMo, tY);
    }
    long long months = tMo - date.month();
    if (months < 0) {
        months += 12;
        tY -= 1;
    }
    const long long years = tY - date.year();

    const QString ato = QStringLiteral("あと");
    const QString nen = QStringLiteral("年");
    const QString kagetsu = QStringLiteral("ヶ月");
    const QString nichi = QStringLiteral("日");
    const QString jikan = QStringLiteral("時間");
    const QString fun = QStringLiteral("分");

    if (years < 0)
        return {true, overdueText(target), true};
    if (years >= 1)
        return {true,
                ato + n(years) + nen + n(months) + kagetsu + n(days) + nichi + n(hours) + jikan +
                    n(minutes) + fun,
                false};
    if (months >= 1)
        return {true,
                ato + n(months) + kagetsu + n(days) + nichi + n(hours) + jikan + n(minutes) + fun,
                false};
    if (months == 0 && days >= 1)
        return {true, ato + n(days) + nichi + n(hours) + jikan + n(minutes) + fun, false};
    if (months == 0 && days == 0 && hours >= 1)
        return {true, ato + n(hours) + jikan + n(minutes) + fun, false};
    if (months == 0 && days == 0 && hours == 0 && minutes >= 1)
        return {true, ato + n(minutes) + fun, false};
    if (months == 0 && days == 0 && hours == 0 && minutes == 0)
        return {true, QStringLiteral("時間です"), true};
    return {false, QString(), false};
}

QDateTime NoteClock::now() {
    return fixedNow() ? *fixedNow() : QDateTime::currentDateTime();
}

void NoteClock::setFixedNow(std::optional<QDateTime> fixed) {
    fixedNow() = std::move(fixed);
}

} // namespace kova
