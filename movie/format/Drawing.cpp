#include "movie/format/Drawing.h"

#include "movie/Limits.h"
#include "movie/draw/ShapeBuilder.h"

#include <algorithm>

namespace movie {

namespace {

// The exact bounds of a straight or quadratic edge: a curve's extreme
// points where its tangent turns, not its control point.
QRectF edgeBounds(QPointF from, QPointF control, QPointF to, bool curved)
{
    QRectF r = QRectF(from, to).normalized();
    if (!curved)
        return r;
    auto extreme = [](double p0, double p1, double p2, double& low, double& high) {
        const double denominator = p0 - 2 * p1 + p2;
        if (denominator == 0)
            return;
        const double t = (p0 - p1) / denominator;
        if (t <= 0 || t >= 1)
            return;
        const double v = (1 - t) * (1 - t) * p0 + 2 * t * (1 - t) * p1 + t * t * p2;
        low = std::min(low, v);
        high = std::max(high, v);
    };
    double left = r.left(), right = r.right(), top = r.top(), bottom = r.bottom();
    extreme(from.x(), control.x(), to.x(), left, right);
    extreme(from.y(), control.y(), to.y(), top, bottom);
    return {QPointF(left, top), QPointF(right, bottom)};
}

} // namespace

Drawing::Group& Drawing::current()
{
    if (groups_.empty())
        groups_.emplace_back();
    Group& group = groups_.back();
    // A line style set since the group began joins it when first used.
    if (line_ && lineIndex_ == 0) {
        group.lines.push_back(*line_);
        lineIndex_ = static_cast<int>(group.lines.size());
    }
    return group;
}

void Drawing::changed()
{
    ++version_;
    shape_.reset();
}

void Drawing::addEdge(QPoint control, QPoint to, bool curved)
{
    if ((!filling_ && !line_) || edges_ >= limits::kMaxDrawingEdges) {
        pen_ = to;
        return;
    }
    ++edges_;
    QRectF area = edgeBounds(pen_, control, to, curved);
    if (line_) {
        const double half = line_->width / 2;
        area.adjust(-half, -half, half, half);
    }
    bounds_ = bounds_.isNull() ? area : bounds_.united(area);
    Group& group = current();
    ShapeEdge e;
    e.from = pen_;
    e.control = curved ? control : (pen_ + to) / 2;
    e.to = to;
    e.curved = curved;
    e.fill1 = filling_ ? 1 : 0;
    e.line = line_ ? lineIndex_ : 0;
    group.edges.push_back(e);
    pen_ = to;
    changed();
}

// A fill's contour that does not end where it began is closed by a
// straight line, drawn in the line style of the moment.
void Drawing::closeContour()
{
    if (filling_ && pen_ != contourStart_)
        addEdge(contourStart_, contourStart_, false);
}

void Drawing::moveTo(QPoint to)
{
    closeContour();
    pen_ = to;
    contourStart_ = to;
}

void Drawing::lineTo(QPoint to) { addEdge(to, to, false); }

void Drawing::curveTo(QPoint control, QPoint to) { addEdge(control, to, true); }

void Drawing::beginFill(const FillStyle& fill)
{
    endFill();
    Group group;
    group.fill = fill;
    groups_.push_back(std::move(group));
    lineIndex_ = 0;
    filling_ = true;
    contourStart_ = pen_;
    changed();
}

void Drawing::endFill()
{
    if (!filling_)
        return;
    closeContour();
    filling_ = false;
    // What is drawn after the fill lies over it.
    groups_.emplace_back();
    lineIndex_ = 0;
    changed();
}

void Drawing::lineStyle(const std::optional<LineStyle>& style)
{
    line_ = style;
    lineIndex_ = 0;
}

void Drawing::lineFill(const FillStyle& fill)
{
    if (!line_)
        return;
    line_->fill = fill;
    lineIndex_ = 0;
}

void Drawing::clear()
{
    groups_.clear();
    pen_ = contourStart_ = QPoint();
    filling_ = false;
    line_.reset();
    lineIndex_ = 0;
    edges_ = 0;
    bounds_ = QRectF();
    changed();
}

const ShapeDef& Drawing::shape() const
{
    if (shape_)
        return *shape_;
    ShapeDef shape;
    ShapeBuilder builder(Qt::OddEvenFill);
    for (const Group& group : groups_) {
        if (group.edges.empty())
            continue;
        std::vector<FillStyle> fills;
        if (group.fill)
            fills.push_back(*group.fill);
        builder.setStyles(std::move(fills), group.lines);
        for (const ShapeEdge& e : group.edges)
            builder.addEdge({e.from, e.control, e.to, e.curved}, 0, e.fill1, e.line);
        // A fill still open is drawn as if it were ended now.
        if (&group == &groups_.back() && filling_ && pen_ != contourStart_)
            builder.addEdge({pen_, pen_, contourStart_, false}, 0, 1, line_ ? lineIndex_ : 0);
        builder.flush(shape);
    }
    shape.bounds = bounds_;
    shape_ = std::move(shape);
    return *shape_;
}

} // namespace movie
