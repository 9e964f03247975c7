#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// How the settings dialog's pages place their controls: the design's places
// in twips, counted from the top edge of the page's tab strip.
namespace kova::layout {

QRect twips(int left, int top, int width, int height);

// Controls on a tab are placed from the tab strip's top edge, as the design
// counts them; a page begins below the strip's tabs.
QPoint onPage(int left, int top, int tabsHeight);

// A label that sizes itself to its text; one that would run past `right`
// (pixels, in its parent) wraps into lines there, as the classic labels do.
QLabel* label(const QString& text, QWidget* parent, QPoint at, int right = 0);

// Wide enough for `widest` at the box's face, or its design width.
void fitText(QLineEdit* box, const QString& widest);

// A control whose caption is a label of its own is known by that label's
// text to screen readers.
void nameAfter(QWidget* control, QLabel* caption);

QPushButton* button(const QString& text, QWidget* parent, const QRect& place);

QFrame* rule(QWidget* parent, const QRect& place);

} // namespace kova::layout
