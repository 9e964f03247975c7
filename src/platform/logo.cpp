#include "logo.h"

#include <QPainter>
#include <QPainterPath>

namespace kova {

QPixmap kovaLogo(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const qreal fold = s * 0.28;
    QPainterPath note;
    note.moveTo(1, 1);
    note.lineTo(s - 1, 1);
    note.lineTo(s - 1, s - 1 - fold);
    note.lineTo(s - 1 - fold, s - 1);
    note.lineTo(1, s - 1);
    note.closeSubpath();
    p.setPen(QPen(QColor(0x8a, 0x6d, 0x00), 1));
    p.setBrush(QColor(0xff, 0xe0, 0x5a));
    p.drawPath(note);
    QPainterPath corner;
    corner.moveTo(s - 1, s - 1 - fold);
    corner.lineTo(s - 1 - fold, s - 1 - fold);
    corner.lineTo(s - 1 - fold, s - 1);
    corner.closeSubpath();
    p.setBrush(QColor(0xe0, 0xb8, 0x20));
    p.drawPath(corner);
    const QPointF centre(s * 0.42, s * 0.42);
    const qreal r = s * 0.27;
    p.setPen(QPen(QColor(0x1f, 0x4e, 0x9a), s / 14.0));
    p.setBrush(Qt::white);
    p.drawEllipse(centre, r, r);
    p.drawLine(centre, centre + QPointF(0, -r * 0.75));
    p.drawLine(centre, centre + QPointF(r * 0.6, 0));
    return pixmap;
}

} // namespace kova
