#include "posted_note_window.h"

#include "base/twips_and_numbers.h"
#include "notes/countdown.h"
#include "notes/note_board.h"
#include "platform/colors.h"
#include "platform/screen_placement.h"
#include "platform/x11_window.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace kova {

namespace {

// A note never grows beyond the desktop: a huge text would otherwise ask the
// window system for a window (and a backing store) far larger than any screen.
QSize largestNoteSize() {
    QRect desktop;
    for (QScreen* screen : QGuiApplication::screens())
        desktop = desktop.united(screen->geometry());
    if (desktop.isEmpty())
        desktop = QRect(0, 0, 1920, 1080);
    return desktop.size();
}

// What of the stored text can show in a window no larger than `limit`: the
// lines that fit, each cut where even the narrowest characters (a pixel
// each) would run past the edge. A note of megabytes would otherwise be
// laid out whole, for seconds, to show one screenful.
QString shownText(const QString& stored, const QFontMetrics& metrics, const QSize& limit) {
    const qsizetype maxLines = limit.height() / std::max(1, metrics.lineSpacing()) + 1;
    const qsizetype maxChars = limit.width() + 1;
    QString shown;
    qsizetype lines = 0;
    qsizetype from = 0;
    while (from <= stored.size() && lines < maxLines) {
        qsizetype end = stored.indexOf(QLatin1Char('\n'), from);
        if (end < 0)
            end = stored.size();
        qsizetype lineEnd = end;
        if (lineEnd > from && stored.at(lineEnd - 1) == QLatin1Char('\r'))
            --lineEnd;
        qsizetype cut = std::min(lineEnd, from + maxChars);
        if (cut < lineEnd && cut > from && stored.at(cut - 1).isHighSurrogate())
            --cut;
        if (lines > 0)
            shown += QLatin1Char('\n');
        shown += QStringView(stored).mid(from, cut - from);
        ++lines;
        from = end + 1;
    }
    return shown;
}

} // namespace

Form5a::Form5a(NoteBoard* board)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      board_(board) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    // A note takes no keys: posted, restored or raised by its alarm, it
    // leaves the keyboard with the program the user is typing in.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("付箋紙"));
    // Design client area 1260 x 795 twips until the record is applied.
    resize(twipsToPixels(1260), twipsToPixels(795));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAutoFillBackground(true);
    Label1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Label1->move(0, 0);

    Label2 = new QLabel(QStringLiteral("Label2"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setTextFormat(Qt::PlainText);
    Label2->setAutoFillBackground(true);
    Label2->setAttribute(Qt::WA_TransparentForMouseEvents);
    Label2->move(0, 0);
    Label2->hide();

    setAutoFillBackground(true);

    Timer1.setInterval(30000);
    connect(&Timer1, &QTimer::timeout, this, &Form5a::TimeCal);
}

Form5a::~Form5a() = default;

void Form5a::setWindowColor(QWidget* widget, const QColor& back, const QColor& fore) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, back);
    palette.setColor(QPalette::WindowText, fore);
    widget->setPalette(palette);
}

void Form5a::setNoteText(const QString& text) {
    noteText_ = text;
    showNoteText();
}

void Form5a::setNoteFont(const QFont& font) {
    Label1->setFont(font);
    showNoteText();
}

void Form5a::showNoteText() {
    Label1->setText(shownText(noteText_, Label1->fontMetrics(), largestNoteSize()));
    Label1->adjustSize();
}

QFont Form5a::noteFont() const {
    return Label1->font();
}

void Form5a::setNoteColors(const QColor& back, const QColor& fore) {
    backColor_ = back;
    foreColor_ = fore;
    // The text's label takes the window's colours.
    setWindowColor(this, back, fore);
}

void Form5a::setPlaceTwips(int top, int left) {
    topTwips_ = top;
    leftTwips_ = left;
    move(twipsToPixels(left), twipsToPixels(top));
    placedAt_ = pos();
    placeOnScreen();
}

int Form5a::topTwips() const {
    return pos() == placedAt_ ? topTwips_ : pixelsToTwips(y());
}

int Form5a::leftTwips() const {
    return pos() == placedAt_ ? leftTwips_ : pixelsToTwips(x());
}

void Form5a::placeOnScreen() {
    if (pos() != placedAt_)
        return;
    const QRect frame(QPoint(twipsToPixels(leftTwips_), twipsToPixels(topTwips_)), size());
    const QPoint target = keepReachable(frame, screenAreas()).topLeft();
    move(target);
    placedAt_ = target;
}

void Form5a::FitNoteWindow() {
    Label1->adjustSize();
    QSize wanted;
    if (hasTimer() && !Label2->isHidden()) {
        Label2->adjustSize();
        Label2->move(0, 0);
        Label1->move(0, Label2->height());
        wanted =
            QSize(std::max(Label1->width(), Label2->width()), Label2->height() + Label1->height());
    } else {
        Label1->move(0, 0);
        wanted = Label1->size();
    }
    resize(wanted.boundedTo(largestNoteSize()).expandedTo(QSize(1, 1)));
    placeOnScreen();
}

void Form5a::TimeCal() {
    const TimerFields target{Text4, Text5, Text6, Text7, Text8};
    const CountdownResult result = computeCountdown(NoteClock::now(), target);
    if (result.changed) {
        Label2->setText(result.text);
        Label2->adjustSize();
    }
    if (result.alarm) {
        setWindowColor(Label2, colorFromBgr(0x0000FF),
                       Label2->palette().color(QPalette::WindowText));
        raiseAboveOthers();
    }
    const int width = std::max(Label1->width(), Label2->width());
    resize(QSize(width, height()).boundedTo(largestNoteSize()));
}

void Form5a::startCountdown() {
    // The countdown's colours when it is first shown: most notes have none,
    // and a palette each would slow the start.
    if (!countdownColoured_) {
        countdownColoured_ = true;
        setWindowColor(Label2, QGuiApplication::palette().color(QPalette::Highlight),
                       colorFromBgr(0xFFFFFF));
    }
    TimeCal();
    Timer1.start();
    Label2->show();
}

void Form5a::raiseAboveOthers() {
    // Lifted like a top-most window and let down again at once: the note
    // ends above every ordinary window but no longer on top.
    // Text9 keeps "True": the menu still shows the user's choice.
    if (stacking_ == NoteStacking::TopMost)
        setStacking(NoteStacking::Normal);
    if (isVisible())
        raiseWithoutFocus(this);
}

void Form5a::setStacking(NoteStacking stacking) {
    stacking_ = stacking;
    Qt::WindowFlags flags =
        windowFlags() & ~(Qt::WindowStaysOnTopHint | Qt::WindowStaysOnBottomHint);
    if (stacking == NoteStacking::TopMost)
        flags |= Qt::WindowStaysOnTopHint;
    else if (stacking == NoteStacking::BackMost)
        flags |= Qt::WindowStaysOnBottomHint;
    if (flags == windowFlags())
        return;
    if (!isVisible() || windowHandle() == nullptr) {
        setWindowFlags(flags);
        return;
    }
    // A shown note changes its layer in place: hiding and showing it again
    // would let the window manager drop its other states.
    overrideWindowFlags(flags);
    windowHandle()->setFlags(flags);
    setWindowLayer(this, stacking == NoteStacking::TopMost, stacking == NoteStacking::BackMost);
    if (stacking == NoteStacking::TopMost)
        raiseWithoutFocus(this);
}

bool Form5a::event(QEvent* event) {
    // Posted on the desktop, which is the same behind every workspace.
    keepPostedOnDesktop(this, event->type());
    return QWidget::event(event);
}

void Form5a::mousePressEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    if (!board_->notePressed(this, event->button(), global))
        return;
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        dragOffset_ = global - pos();
    }
}

void Form5a::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - dragOffset_);
}

void Form5a::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton)
        return;
    dragging_ = false;
    // The window ends where the pointer let go, then the place is saved.
    move(event->globalPosition().toPoint() - dragOffset_);
    if (pos() != placedAt_) {
        topTwips_ = pixelsToTwips(y());
        leftTwips_ = pixelsToTwips(x());
        placedAt_ = pos();
    }
    board_->noteDragEnded(this);
}

} // namespace kova
