#include "movie/draw/ShapeBuilder.h"

#include <climits>
#include <unordered_map>

namespace movie {

namespace {

qint64 pointKey(QPoint p) { return (static_cast<qint64>(p.x()) << 32) ^ static_cast<quint32>(p.y()); }

// Links the edges of one fill into closed contours. Edges of a region meet
// head to tail once fill0 edges are reversed, whatever order the records
// gave them in.
QPainterPath assembleFill(const std::vector<Edge>& edges, Qt::FillRule rule)
{
    QPainterPath path;
    path.setFillRule(rule);
    std::unordered_map<qint64, std::vector<int>> byStart;
    byStart.reserve(edges.size());
    for (int i = static_cast<int>(edges.size()) - 1; i >= 0; --i)
        byStart[pointKey(edges[static_cast<size_t>(i)].from)].push_back(i);
    std::vector<bool> used(edges.size(), false);

    auto takeFrom = [&](QPoint p) -> int {
        auto it = byStart.find(pointKey(p));
        if (it == byStart.end())
            return -1;
        auto& list = it->second;
        while (!list.empty()) {
            const int i = list.back();
            list.pop_back();
            if (!used[static_cast<size_t>(i)])
                return i;
        }
        return -1;
    };

    for (size_t first = 0; first < edges.size(); ++first) {
        if (used[first])
            continue;
        const QPoint start = edges[first].from;
        path.moveTo(start);
        int current = static_cast<int>(first);
        while (current >= 0) {
            used[static_cast<size_t>(current)] = true;
            const Edge& e = edges[static_cast<size_t>(current)];
            if (e.curved)
                path.quadTo(e.control, e.to);
            else
                path.lineTo(e.to);
            if (e.to == start)
                break;
            current = takeFrom(e.to);
        }
        path.closeSubpath();
    }
    return path;
}

// A stroke that comes back to its start is a closed loop: it is joined
// there instead of capped.
QPainterPath closeLoops(const QPainterPath& path, bool noClose)
{
    if (noClose || path.isEmpty())
        return path;
    QPainterPath result;
    int start = 0;
    for (int i = 0; i <= path.elementCount(); ++i) {
        if (i < path.elementCount() && (i == 0 || !path.elementAt(i).isMoveTo()))
            continue;
        // elements [start, i) form one subpath
        const QPointF first = path.elementAt(start);
        const QPointF last = path.elementAt(i - 1);
        result.moveTo(first);
        for (int k = start + 1; k < i; ++k) {
            const auto& el = path.elementAt(k);
            if (el.type == QPainterPath::CurveToElement && k + 2 < i) {
                result.cubicTo(el, path.elementAt(k + 1), path.elementAt(k + 2));
                k += 2;
            } else {
                result.lineTo(el);
            }
        }
        if (i - start > 1 && first == last)
            result.closeSubpath();
        start = i;
    }
    return result;
}

} // namespace

void ShapeBuilder::setStyles(std::vector<FillStyle> fills, std::vector<LineStyle> lines)
{
    fills_ = std::move(fills);
    lines_ = std::move(lines);
    fillEdges_.assign(fills_.size(), {});
    linePaths_.assign(lines_.size(), {});
    lineEnds_.assign(lines_.size(), QPoint(INT_MIN, INT_MIN));
}

void ShapeBuilder::addEdge(const Edge& e, int fill0, int fill1, int line)
{
    // A region's edges with the region on their right are taken as they
    // are; those with it on their left are turned round.
    if (fill0 > 0 && fill0 <= static_cast<int>(fillEdges_.size()))
        fillEdges_[static_cast<size_t>(fill0 - 1)].push_back(e.reversed());
    if (fill1 > 0 && fill1 <= static_cast<int>(fillEdges_.size()))
        fillEdges_[static_cast<size_t>(fill1 - 1)].push_back(e);
    if (line > 0 && line <= static_cast<int>(linePaths_.size())) {
        const auto i = static_cast<size_t>(line - 1);
        QPainterPath& path = linePaths_[i];
        if (lineEnds_[i] != e.from)
            path.moveTo(e.from);
        if (e.curved)
            path.quadTo(e.control, e.to);
        else
            path.lineTo(e.to);
        lineEnds_[i] = e.to;
    }
}

void ShapeBuilder::breakLine(int line)
{
    if (line > 0 && line <= static_cast<int>(lineEnds_.size()))
        lineEnds_[static_cast<size_t>(line - 1)] = QPoint(INT_MIN, INT_MIN);
}

void ShapeBuilder::flush(ShapeDef& shape)
{
    ShapeLayer layer;
    for (size_t i = 0; i < fills_.size(); ++i) {
        if (!fillEdges_[i].empty())
            layer.fills.push_back({fills_[i], assembleFill(fillEdges_[i], rule_)});
        fillEdges_[i].clear();
    }
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (!linePaths_[i].isEmpty())
            layer.strokes.push_back({lines_[i], closeLoops(linePaths_[i], lines_[i].noClose)});
        linePaths_[i] = QPainterPath();
        lineEnds_[i] = QPoint(INT_MIN, INT_MIN);
    }
    if (!layer.fills.empty() || !layer.strokes.empty())
        shape.layers.push_back(std::move(layer));
}

ShapeDef buildShape(const std::vector<FillStyle>& fills, const std::vector<LineStyle>& lines,
                    const std::vector<ShapeEdge>& edges, Qt::FillRule rule)
{
    ShapeDef shape;
    ShapeBuilder builder(rule);
    builder.setStyles(fills, lines);
    for (const ShapeEdge& e : edges) {
        if (e.moveBefore)
            builder.breakLine(e.line);
        builder.addEdge({e.from, e.control, e.to, e.curved}, e.fill0, e.fill1, e.line);
    }
    builder.flush(shape);
    QRectF bounds;
    for (const auto& layer : shape.layers)
        for (const auto& fill : layer.fills)
            bounds |= fill.path.boundingRect();
    shape.bounds = bounds;
    return shape;
}

} // namespace movie
