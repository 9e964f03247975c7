#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace kova {

// The five timer texts of a note (fields 9 to 13) as stored: year of four
// digits, the rest zero-padded to two. An empty year means no timer.
struct TimerFields {
    QString year, month, day, hour, minute;
};

// What the countdown line shows after one tick. `changed` false: the result
// fits no display rule and the line keeps its previous text. `alarm`: the
// target minute is due or past, so the line turns red and the note is raised.
struct CountdownResult {
    bool changed;
    QString text;
    bool alarm;
};

// The remaining time from `now` to `target`, borrowing from the minute up
// into the target's higher units (one month length only, so a day count may
// stay negative and is shown as it comes).
CountdownResult computeCountdown(const QDateTime& now, const TimerFields& target);

// The overdue text quotes the stored texts verbatim.
QString overdueText(const TimerFields& target);

// The one clock the countdown and the timer dialog read; tests fix "now".
class NoteClock {
public:
    static QDateTime now();
    static void setFixedNow(std::optional<QDateTime> fixed);
};

// Fixes the note clock at a moment for its lifetime, then lets it run again.
class FixedNoteClock {
public:
    explicit FixedNoteClock(const QDateTime& now) { NoteClock::setFixedNow(now); }
    ~FixedNoteClock() { NoteClock::setFixedNow(std::nullopt); }
    FixedNoteClock(const FixedNoteClock&) = delete;
    FixedNoteClock& operator=(const FixedNoteClock&) = delete;
    void set(const QDateTime& now) { NoteClock::setFixedNow(now); }
};

} // namespace kova
