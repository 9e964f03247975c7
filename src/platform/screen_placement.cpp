#include "screen_placement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <optional>

namespace kova {

namespace {

long long overlap(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : (long long)common.width() * common.height();
}

long long distanceSquared(const QRect& frame, const QRect& area) {
    const long long dx = std::max({0, area.left() - frame.right(), frame.left() - area.right()});
    const long long dy = std::max({0, area.top() - frame.bottom(), frame.top() - area.bottom()});
    return dx * dx + dy * dy;
}

// The area the frame overlaps most; without overlap the nearest; -1 for none.
int bestArea(const QRect& frame, const QList<QRect>& areas) {
    int best = -1;
    long long bestOverlap = 0;
    long long bestDistance = 0;
    for (int i = 0; i < areas.size(); ++i) {
        const long long o = overlap(frame, areas.at(i));
        const long long d = distanceSquared(frame, areas.at(i));
        if (best < 0 || o > bestOverlap || (bestOverlap == 0 && o == 0 && d < bestDistance)) {
            best = i;
            bestOverlap = o;
            bestDistance = d;
        }
    }
    return best;
}

QRect clampInto(const QRect& frame, const QRect& area) {
    QRect placed = frame;
    placed.moveLeft(std::clamp(frame.left(), area.left(),
                               std::max(area.left(), area.right() - frame.width() + 1)));
    placed.moveTop(std::clamp(frame.top(), area.top(),
                              std::max(area.top(), area.bottom() - frame.height() + 1)));
    return placed;
}

} // namespace

QRect keepReachable(const QRect& frame, const QList<QRect>& areas) {
    for (const QRect& area : areas) {
        if (area.intersects(frame))
            return frame;
    }
    const int i = bestArea(frame, areas);
    return i < 0 ? frame : clampInto(frame, areas.at(i));
}

QRect keepWhollyOnScreen(const QRect& frame, const QList<QRect>& areas) {
    const int i = bestArea(frame, areas);
    return i < 0 ? frame : clampInto(frame, areas.at(i));
}

namespace {
std::optional<QList<QRect>> g_fixedAreas;
} // namespace

FixedScreenAreas::FixedScreenAreas(const QList<QRect>& areas) {
    g_fixedAreas = areas;
}

FixedScreenAreas::~FixedScreenAreas() {
    g_fixedAreas.reset();
}

void FixedScreenAreas::set(const QList<QRect>& areas) {
    g_fixedAreas = areas;
}

ScreenWatcher::ScreenWatcher(QObject* parent) : QObject(parent) {
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        emit screensChanged();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &ScreenWatcher::screensChanged);
}

void ScreenWatcher::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &ScreenWatcher::screensChanged);
    connect(screen, &QScreen::availableGeometryChanged, this, &ScreenWatcher::screensChanged);
}

QList<QRect> screenAreas() {
    if (g_fixedAreas)
        return *g_fixedAreas;
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    return areas;
}

} // namespace kova
