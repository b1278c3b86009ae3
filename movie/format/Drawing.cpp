#include "movie/format/Drawing.h"

#include "movie/draw/ShapeBuilder.h"

namespace movie {

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
    if (!filling_ && !line_) {
        pen_ = to;
        return;
    }
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
    // The bounds take in half of each line's width, as the player's do.
    QRectF bounds;
    for (const ShapeLayer& layer : shape.layers) {
        for (const auto& fill : layer.fills)
            bounds |= fill.path.boundingRect();
        for (const auto& stroke : layer.strokes) {
            const double half = stroke.style.width / 2;
            bounds |= stroke.path.boundingRect().adjusted(-half, -half, half, half);
        }
    }
    shape.bounds = bounds;
    shape_ = std::move(shape);
    return *shape_;
}

} // namespace movie
