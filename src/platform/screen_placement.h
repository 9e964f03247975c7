#pragma once

#include <QList>
#include <QRect>

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

// The available areas of the screens now attached.
QList<QRect> screenAreas();

} // namespace kova
