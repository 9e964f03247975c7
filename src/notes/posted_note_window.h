#pragma once

#include "notes/note_record.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>
#include <QTimer>
#include <QWidget>

class QLabel;

namespace kova {

class NoteBoard;

// Stacking of a posted note: the layer of its z-order state.
using NoteStacking = ZOrder;

// Form5a: one posted note on the desktop, a borderless window showing the
// note text, with the countdown line above it for a note with a timer.
class Form5a : public QWidget {
    Q_OBJECT
public:
    explicit Form5a(NoteBoard* board);
    ~Form5a() override;

    // Position in NoteWindows (1-based).
    int Text1 = 1;
    // Note number N of the file pair.
    int Text3 = 0;
    // Timer fields 9..13: year, month, day, hour, minute; empty year = no timer.
    QString Text4, Text5, Text6, Text7, Text8;
    // Z-order state: "True" top-most, "False" normal, "0" back-most.
    QString Text9;

    QLabel* Label1 = nullptr; // note text
    QLabel* Label2 = nullptr; // countdown line
    QTimer Timer1;            // countdown tick

    // The note text in its stored form (CR LF line breaks). The window shows
    // only what fits on the desktop; the whole text is kept for the editor.
    void setNoteText(const QString& text);
    QString noteText() const { return noteText_; }
    void setNoteFont(const QFont& font);
    QFont noteFont() const;
    void setNoteColors(const QColor& back, const QColor& fore);
    QColor noteBackColor() const { return backColor_; }
    QColor noteForeColor() const { return foreColor_; }

    // The saved place in twips. The window is put there, or onto the nearest
    // screen when that place is on none; the saved values change only when
    // the user moves the window.
    void setPlaceTwips(int top, int left);
    int topTwips() const;
    int leftTwips() const;
    // Back to the saved place when it is on a screen again, else onto the
    // nearest screen; a place the user chose is kept. The files keep the
    // saved place until the user moves the note.
    void keepOnScreen() { placeOnScreen(); }

    bool hasTimer() const { return !Text4.isEmpty(); }
    // The countdown: recompute the line, alarm when due, then the width rule.
    void TimeCal();
    // What every Part does when it shows a timed note: TimeCal, tick on,
    // countdown line shown.
    void startCountdown();
    // Sizes the window to the note text (and the countdown line when shown).
    void FitNoteWindow();

    void setStacking(NoteStacking stacking);
    NoteStacking stacking() const { return stacking_; }

    // Lifts the note above every ordinary window without leaving it on top.
    void raiseAboveOthers();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void placeOnScreen();
    void showNoteText();
    void setWindowColor(QWidget* widget, const QColor& back, const QColor& fore);

    NoteBoard* board_;
    QString noteText_;
    QString fontName_;
    QColor backColor_;
    QColor foreColor_;
    int topTwips_ = 0;
    int leftTwips_ = 0;
    // Where the window was put for the saved place; a different position
    // means the user moved it.
    QPoint placedAt_;
    bool countdownColoured_ = false; // the countdown's colours set once
    NoteStacking stacking_ = NoteStacking::Normal;
    bool dragging_ = false;
    QPoint dragOffset_;
};

} // namespace kova
