#include "settings/dialog_layout.h"

#include "base/twips_and_numbers.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace kova::layout {

QRect twips(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

QPoint onPage(int left, int top, int tabsHeight) {
    return QPoint(twipsToPixels(left), std::max(0, twipsToPixels(top) - tabsHeight));
}

QLabel* label(const QString& text, QWidget* parent, QPoint at, int right) {
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->move(at);
    l->adjustSize();
    if (right > at.x() && l->x() + l->width() > right) {
        l->setWordWrap(true);
        l->resize(right - at.x(), l->heightForWidth(right - at.x()));
    }
    return l;
}

void fitText(QLineEdit* box, const QString& widest) {
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
    const QMargins margins = box->textMargins();
    // QLineEdit keeps 2 pixels of its own on either side of the text.
    const QSize text(box->fontMetrics().horizontalAdvance(widest) + 4 + margins.left() +
                         margins.right(),
                     box->height());
    const int width =
        box->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, box).width();
    box->resize(std::max(box->width(), width), box->height());
}

void nameAfter(QWidget* control, QLabel* caption) {
    control->setAccessibleName(caption->text().trimmed());
    caption->setBuddy(control);
}

QPushButton* button(const QString& text, QWidget* parent, const QRect& place) {
    auto* b = new QPushButton(text, parent);
    b->setGeometry(place);
    return b;
}

QFrame* rule(QWidget* parent, const QRect& place) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(place);
    return line;
}

} // namespace kova::layout
