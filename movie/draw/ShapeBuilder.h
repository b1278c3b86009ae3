#pragma once

#include "movie/draw/ShapeDef.h"

#include <QPainterPath>
#include <QPoint>
#include <vector>

namespace movie {

// A straight or quadratic edge in twips, oriented so that its fill lies on
// one side consistently.
struct Edge {
    QPoint from;
    QPoint control;
    QPoint to;
    bool curved = false;

    Edge reversed() const { return {to, control, from, curved}; }
};

// Turns the edges of a shape, with the styles on their sides, into painter
// paths: each fill's edges are linked into closed contours, each line's
// edges into strokes. The records' reader (or a morph's in-between shape)
// feeds it one style group at a time.
class ShapeBuilder {
public:
    explicit ShapeBuilder(Qt::FillRule rule) : rule_(rule) {}

    // Starts a new style group; its edges refer to these styles, 1-based.
    void setStyles(std::vector<FillStyle> fills, std::vector<LineStyle> lines);
    void addEdge(const Edge& e, int fill0, int fill1, int line);
    // Starts a new stroke for `line` even where the last one ended.
    void breakLine(int line);
    // Adds the style group's paths to the shape as one layer.
    void flush(ShapeDef& shape);

private:
    Qt::FillRule rule_;
    std::vector<FillStyle> fills_;
    std::vector<LineStyle> lines_;
    std::vector<std::vector<Edge>> fillEdges_;
    std::vector<QPainterPath> linePaths_;
    std::vector<QPoint> lineEnds_;
};

} // namespace movie
