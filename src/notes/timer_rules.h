#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <array>

namespace kova {

bool isLeapYear(long long year);

// "2002/05/03  09：05": the timer dialog's clock line.
QString timerClockLine(const QDateTime& now);

// One of the dialog's five small scroll bars.
struct TimerBar {
    int minimum = 0;
    int maximum = 0;
    int value = 0;
};

// The timer dialog's working state: the five value labels (year, month, day,
// hour, minute) and their scroll bars, with the rules that keep them
// consistent. The widget forwards every user action here and shows the result.
class TimerValues {
public:
    enum Field { Year = 0, Month, Day, Hour, Minute };

    // Opens on the editor's strip when it holds a timer, otherwise on `now`.
    // The bars then take the labels' values. A stored year outside the year
    // bar's usual range widens the range so the dialog can still show it.
    void open(const QDateTime& now, bool hasTimer, const std::array<QString, 5>& strip);

    // Writes one value label through its change rule.
    void setLabel(Field field, const QString& text);
    // A bar moved by its arrows: its label follows.
    void barChanged(Field field, int value);
    // A calendar date clicked: year, month and day labels follow; bars stay.
    void dateClicked(const QDate& date);

    const QString& label(Field field) const { return labels_[field]; }
    const TimerBar& bar(Field field) const { return bars_[field]; }
    // The date the calendar shows at opening (invalid if the labels make none).
    QDate calendarDate() const { return calendarDate_; }

private:
    void applyMonthRule();

    std::array<QString, 5> labels_;
    std::array<TimerBar, 5> bars_{{{0, 2099, 0}, {1, 12, 1}, {1, 31, 1}, {0, 23, 0}, {0, 59, 0}}};
    QDate calendarDate_;
};

} // namespace kova
