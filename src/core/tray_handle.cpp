#include "core/tray_handle.h"

#include "base/settings.h"
#include "base/twips_and_numbers.h"
#include "platform/screen_placement.h"
#include "platform/tray_icon.h"
#include "platform/x11_window.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPainter>

namespace kova {

namespace {
constexpr int kSize = 32; // the tray icon's picture
} // namespace

TrayHandle::TrayHandle(const QIcon& icon)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      picture_(icon.pixmap(kSize, kSize)) {
    setWindowTitle(QStringLiteral("KovaShell"));
    setToolTip(QStringLiteral("KovaShell"));
    setFixedSize(kSize, kSize);
    // Never takes the keyboard from the program the user is typing in, not
    // even when pressed.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The tip shows as the tray icon's does, whichever window is active.
    setAttribute(Qt::WA_AlwaysShowToolTips);
}

void TrayHandle::showAtItsPlace() {
    const QString top = ReadSetting(handle::Top);
    const QString left = ReadSetting(handle::Left);
    const QList<QRect> areas = screenAreas();
    QPoint place;
    if (top.isEmpty() || left.isEmpty()) {
        const QRect primary = areas.value(0, QRect(0, 0, 640, 480));
        place = QPoint(primary.right() - kSize + 1, primary.top());
    } else {
        place = QPoint(twipsToPixels(twipsFromText(left)), twipsToPixels(twipsFromText(top)));
    }
    move(keepWhollyOnScreen(QRect(place, size()), areas).topLeft());
    show();
}

bool TrayHandle::event(QEvent* event) {
    keepPostedOnDesktop(this, event->type());
    return QWidget::event(event);
}

void TrayHandle::paintEvent(QPaintEvent*) {
    QPainter(this).drawPixmap(rect(), picture_);
}

void TrayHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit message(kTrayRightButtonDown);
    } else if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        moved_ = false;
        grab_ = event->globalPosition().toPoint() - pos();
    }
}

void TrayHandle::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton))
        return;
    move(event->globalPosition().toPoint() - grab_);
    moved_ = true;
}

void TrayHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_)
        return;
    dragging_ = false;
    if (!moved_)
        return;
    move(keepWhollyOnScreen(QRect(event->globalPosition().toPoint() - grab_, size()), screenAreas())
             .topLeft());
    WriteSetting(handle::Top, QString::number(pixelsToTwips(y())));
    WriteSetting(handle::Left, QString::number(pixelsToTwips(x())));
}

void TrayHandle::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit message(kTrayLeftDoubleClick);
}

} // namespace kova
