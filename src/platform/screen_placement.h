#pragma once

#include <QList>
#include <QObject>
#include <QRect>

class QScreen;

namespace kova {

// Where windows go so that the user can reach them. Pure: rectangles in
// (a window's frame, the screens' available areas), rectangle out.

// A frame on at least one screen stays where it is; a frame on none moves
// onto the nearest screen, as far as it fits there.
QRect keepReachable(const QRect& frame, const QList<QRect>& areas);

// The whole frame on one screen (the one it overlaps most, else the
// nearest): moved as little as possible; a frame larger than that screen
// keeps its top-left corner (and so its title bar) on it.
QRect keepWhollyOnScreen(const QRect& frame, const QList<QRect>& areas);

// The available areas of the screens now attached, the primary first.
QList<QRect> screenAreas();

// Stands in for the attached screens while it lives (tests: a monitor
// unplugged or plugged in again).
class FixedScreenAreas {
public:
    explicit FixedScreenAreas(const QList<QRect>& areas);
    ~FixedScreenAreas();
    FixedScreenAreas(const FixedScreenAreas&) = delete;
    FixedScreenAreas& operator=(const FixedScreenAreas&) = delete;
    void set(const QList<QRect>& areas);
};

// Tells when the screens change while running: one added or removed, or
// one's geometry or free area changed.
class ScreenWatcher : public QObject {
    Q_OBJECT
public:
    explicit ScreenWatcher(QObject* parent = nullptr);

signals:
    void screensChanged();

private:
    void watch(QScreen* screen);
};

} // namespace kova
