#include "platform/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {

// How far a frame lies from an area, squared; 0 when they meet.
qint64 distanceSquared(const QRect& frame, const QRect& area)
{
    const qint64 dx = std::max({qint64(area.left()) - frame.right(), qint64(frame.left()) - area.right(), qint64(0)});
    const qint64 dy = std::max({qint64(area.top()) - frame.bottom(), qint64(frame.top()) - area.bottom(), qint64(0)});
    return dx * dx + dy * dy;
}

// The nearest start of a span of `length` that lies within [first, first + room).
int within(int start, int length, int first, int room)
{
    return length >= room ? first : std::clamp(start, first, first + room - length);
}

} // namespace

namespace WindowPlacement {

int bounded(qint64 coordinate) { return int(std::clamp<qint64>(coordinate, kLeast, kMost)); }

QPoint seenPlace(const QRect& frame)
{
    // A window without width or height is taken as its corner pixel.
    const QRect probe(frame.topLeft(), frame.size().expandedTo(QSize(1, 1)));
    const QScreen* nearest = nullptr;
    qint64 nearestDistance = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        if (area.intersects(probe))
            return frame.topLeft();
        const qint64 distance = distanceSquared(probe, area);
        if (!nearest || distance < nearestDistance) {
            nearest = screen;
            nearestDistance = distance;
        }
    }
    if (!nearest)
        return frame.topLeft();
    const QRect area = nearest->availableGeometry();
    return {within(probe.x(), probe.width(), area.x(), area.width()),
            within(probe.y(), probe.height(), area.y(), area.height())};
}

} // namespace WindowPlacement
