#pragma once

#include <QPoint>
#include <QWidget>

namespace kova {

// Where there is no tray, a small handle stands in for the tray icon: the
// icon's picture in a frameless window kept above the others, out of the task
// bar. It takes the icon's messages (a right press, a left double-click) and
// can be dragged; its place is kept in the settings file.
class TrayHandle : public QWidget {
    Q_OBJECT
public:
    explicit TrayHandle(const QIcon& icon);

    // Shown where it was left, or at the top right of the primary screen.
    void showAtItsPlace();

signals:
    // The tray icon's message numbers (515 double-click, 516 right press).
    void message(int number);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPixmap picture_;
    bool dragging_ = false;
    bool moved_ = false;
    QPoint grab_;
};

} // namespace kova
