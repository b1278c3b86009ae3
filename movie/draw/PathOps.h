#pragma once

#include <QPainterPath>

namespace movie {

// The union and the meet of two regions, for masks and clipped fills. Qt's
// exact path operations take time that grows with the square of the
// elements: past limits::kMaxExactPathElements the result is rough rather
// than slow. A rough union fills both paths together, each turned to wind
// the same way (non-zero winding); a rough meet cuts the path of more
// elements to the other's bounding box.
QPainterPath unitedPaths(const QPainterPath& a, const QPainterPath& b);
QPainterPath intersectedPaths(const QPainterPath& a, const QPainterPath& b);

} // namespace movie
