#include "notes/timer_dialog.h"

#include "base/twips_and_numbers.h"
#include "notes/countdown.h"
#include "notes/note_editor.h"
#include "platform/logo.h"
#include "platform/seam.h"

#include <QCalendarWidget>
#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

namespace kova {

namespace {

// Positions are laid out in twips; everything right of the calendar moves by
// however much wider the calendar is than its planned 2430 twips.
QRect twipsRect(int left, int top, int width, int height, int dx = 0, int dy = 0) {
    return QRect(twipsToPixels(left) + dx, twipsToPixels(top) + dy, twipsToPixels(width),
                 twipsToPixels(height));
}

} // namespace

QString Form6a::homePage() {
    return kHomePage;
}

Form6a::Form6a(Form4a* editor) : QWidget(editor, Qt::Dialog), editor_(editor) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("タイマー設定"));

    MonthView1 = new QCalendarWidget(this);
    MonthView1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    const QSize cal = MonthView1->sizeHint();
    MonthView1->setGeometry(0, 0, cal.width(), cal.height());
    const int dx = std::max(0, cal.width() - twipsToPixels(2430));
    const int dy = std::max(0, cal.height() - twipsToPixels(2010));

    const auto label = [this](const QString& text, int left, int top, int dxx, int dyy = 0) {
        auto* l = new QLabel(text, this);
        l->move(twipsToPixels(left) + dxx, twipsToPixels(top) + dyy);
        l->adjustSize();
        return l;
    };
    label(QStringLiteral("現在の時刻"), 2640, 360, dx);
    Label0 = label(QString(), 2640, 600, dx);
    label(QStringLiteral("予定時刻"), 2640, 1080, dx);
    const int valueLefts[5] = {2640, 3270, 3660, 4050, 4440};
    for (int i = 0; i < 5; ++i)
        valueLabels[size_t(i)] = label(QString(), valueLefts[i], 1320, dx);
    label(QStringLiteral("/"), 3135, 1320, dx);
    label(QStringLiteral("/"), 3525, 1320, dx);
    label(QStringLiteral("："), 4305, 1320, dx);

    const int barLefts[5] = {2700, 3210, 3600, 3990, 4380};
    for (int i = 0; i < 5; ++i) {
        auto* bar = new QScrollBar(Qt::Horizontal, this);
        bar->setGeometry(twipsRect(barLefts[i], 1560, 375, 135, dx));
        bar->setSingleStep(1);
        bar->setPageStep(1);
        connect(bar, &QScrollBar::valueChanged, this,
                [this, i](int value) { HScroll_Change(i, value); });
        scrollBars[size_t(i)] = bar;
    }

    const auto button = [this, dy](const QString& text, int left) {
        auto* b = new QPushButton(text, this);
        b->setGeometry(twipsRect(left, 2160, 1215, 375, 0, dy));
        return b;
    };
    Command2 = button(QStringLiteral("タイマー設定"), 840);
    Command1 = button(QStringLiteral("タイマー取消"), 2160);
    Command3 = button(QStringLiteral("Cancel"), 3480);
    Command2->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &Form6a::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form6a::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form6a::Command3_Click);

    Picture1 = new QLabel(this);
    Picture1->setGeometry(twipsRect(120, 2040, 495, 495, 0, dy));
    Picture1->setPixmap(kovaLogo(Picture1->width()));
    Picture1->setCursor(Qt::PointingHandCursor);
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture1->setToolTip(homePage());
    Picture1->installEventFilter(this);

    connect(MonthView1, &QCalendarWidget::clicked, this, &Form6a::MonthView1_DateClick);
    setFixedSize(twipsToPixels(4785) + dx, twipsToPixels(2580) + dy);

    Timer1.setInterval(3000);
    connect(&Timer1, &QTimer::timeout, this, &Form6a::Timer1_Timer);
    Timer1.start();
    Timer1_Timer();
}

Form6a::~Form6a() = default;

void Form6a::open() {
    std::array<QString, 5> strip;
    for (size_t i = 0; i < strip.size(); ++i)
        strip[i] = editor_->Label1[i]->text();
    values_.open(NoteClock::now(), editor_->hasTimer(), strip);
    {
        const QSignalBlocker blocker(MonthView1);
        const QDate date = values_.calendarDate();
        if (date.isValid())
            MonthView1->setSelectedDate(date);
    }
    showValues();
    const QPoint place = editor_->pos();
    editor_->hide();
    // Placed before it maps, so the window manager keeps the place.
    move(place);
    show();
    move(place);
    raise();
    activateWindow();
}

void Form6a::showValues() {
    for (size_t i = 0; i < valueLabels.size(); ++i) {
        const auto field = TimerValues::Field(i);
        valueLabels[i]->setText(values_.label(field));
        valueLabels[i]->adjustSize();
        const TimerBar& bar = values_.bar(field);
        const QSignalBlocker blocker(scrollBars[i]);
        scrollBars[i]->setRange(bar.minimum, bar.maximum);
        scrollBars[i]->setValue(bar.value);
    }
}

void Form6a::HScroll_Change(int index, int value) {
    values_.barChanged(TimerValues::Field(index), value);
    showValues();
}

void Form6a::MonthView1_DateClick(const QDate& date) {
    values_.dateClicked(date);
    showValues();
    Picture1->setFocus();
}

void Form6a::Command2_Click() {
    Timer1.stop();
    std::array<QString, 5> strip;
    for (size_t i = 0; i < strip.size(); ++i)
        strip[i] = values_.label(TimerValues::Field(i));
    editor_->setTimerStrip(strip, true);
    close();
}

void Form6a::Command1_Click() {
    Timer1.stop();
    editor_->setTimerStrip({}, false);
    close();
}

void Form6a::Command3_Click() {
    close();
}

void Form6a::Picture1_Click() {
    Platform::instance().openWithDesktop(homePage());
}

void Form6a::Timer1_Timer() {
    Label0->setText(timerClockLine(NoteClock::now()));
    Label0->adjustSize();
}

void Form6a::closeEvent(QCloseEvent* event) {
    Timer1.stop();
    editor_->show();
    editor_->raise();
    editor_->activateWindow();
    event->accept();
    emit unloaded();
}

bool Form6a::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Picture1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        Picture1->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        Picture1_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kova
