#include "movie/draw/PathOps.h"

#include "movie/Limits.h"

namespace movie {

namespace {

bool exact(const QPainterPath& a, const QPainterPath& b)
{
    return qint64(a.elementCount()) + b.elementCount() <= limits::kMaxExactPathElements;
}

// The path turned, if need be, so that its inside winds counterclockwise:
// filled and stroked regions alike wind one way round their inside, the
// dominant way their area says.
QPainterPath counterclockwise(const QPainterPath& path)
{
    double area = 0;
    for (const QPolygonF& polygon : path.toSubpathPolygons())
        for (qsizetype i = 0; i < polygon.size(); ++i) {
            const QPointF& p = polygon[i];
            const QPointF& q = polygon[(i + 1) % polygon.size()];
            area += p.x() * q.y() - q.x() * p.y();
        }
    return area < 0 ? path.toReversed() : path;
}

} // namespace

QPainterPath unitedPaths(const QPainterPath& a, const QPainterPath& b)
{
    if (a.isEmpty())
        return b;
    if (b.isEmpty())
        return a;
    if (exact(a, b))
        return a.united(b);
    QPainterPath both = counterclockwise(a);
    both.setFillRule(Qt::WindingFill);
    both.addPath(counterclockwise(b));
    return both;
}

QPainterPath intersectedPaths(const QPainterPath& a, const QPainterPath& b)
{
    if (exact(a, b))
        return a.intersected(b);
    const bool aLarger = a.elementCount() >= b.elementCount();
    QPainterPath box;
    box.addRect((aLarger ? b : a).boundingRect());
    return (aLarger ? a : b).intersected(box);
}

} // namespace movie
