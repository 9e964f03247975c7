#pragma once

#include "notes/timer_rules.h"

#include <QTimer>
#include <QWidget>

#include <array>

class QCalendarWidget;
class QLabel;
class QPushButton;
class QScrollBar;

namespace kova {

class Form4a;

// Form6a: the timer dialog. It stands in for the hidden editor and writes
// only the editor's timer strip; every way out shows the editor again.
class Form6a : public QWidget {
    Q_OBJECT
public:
    // Created by the editor's "timer" command, which then calls open().
    explicit Form6a(Form4a* editor);
    ~Form6a() override;

    // Fills the values from the editor's strip (or the current minute), hides
    // the editor and shows the dialog where the editor stood.
    void open();

    QCalendarWidget* MonthView1 = nullptr;
    QLabel* Label0 = nullptr;                // clock line
    std::array<QLabel*, 5> valueLabels{};    // Label1..Label5: year, month, day, hour, minute
    std::array<QScrollBar*, 5> scrollBars{}; // HScroll1..HScroll5
    QPushButton* Command1 = nullptr;         // take the timer off
    QPushButton* Command2 = nullptr;         // set the timer
    QPushButton* Command3 = nullptr;         // Cancel
    QLabel* Picture1 = nullptr;              // our logo, opens the home page
    QTimer Timer1;                           // refreshes the clock line

    const TimerValues& values() const { return values_; }

    void HScroll_Change(int index, int value);
    void MonthView1_DateClick(const QDate& date);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Picture1_Click();
    void Timer1_Timer();

    static QString homePage();

signals:
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showValues();

    Form4a* editor_;
    TimerValues values_;
};

} // namespace kova
