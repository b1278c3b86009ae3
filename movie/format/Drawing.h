#pragma once

#include "movie/draw/ShapeDef.h"

#include <QPoint>
#include <optional>
#include <vector>

namespace movie {

// What a script draws into a clip with the drawing API (moveTo, lineTo,
// beginFill ...), in twips. It is kept as the edges and styles a shape tag
// would hold and made into a ShapeDef by the same builder, so that it is
// painted as shapes from the file are: each fill begun starts a new style
// group, drawn over what came before it. A drawing takes at most
// limits::kMaxDrawingEdges edges; those beyond are left out.
class Drawing {
public:
    void moveTo(QPoint to);
    void lineTo(QPoint to);
    void curveTo(QPoint control, QPoint to);
    // Ends the open fill, if any, and begins one at the pen.
    void beginFill(const FillStyle& fill);
    // Closes the open fill's contour back to where it began.
    void endFill();
    // The lines from here on; none draws no lines.
    void lineStyle(const std::optional<LineStyle>& style);
    // Gives the lines from here on another fill (a gradient); nothing
    // without a line style.
    void lineFill(const FillStyle& fill);
    void clear();

    bool isEmpty() const { return groups_.empty(); }
    // The drawing as a shape; made again after a change.
    const ShapeDef& shape() const;
    // Its bounds, lines' widths included, kept up to date as it is drawn.
    QRectF bounds() const { return bounds_; }
    // Changes with every change of the drawing.
    quint64 version() const { return version_; }

private:
    struct Group {
        std::optional<FillStyle> fill;
        std::vector<LineStyle> lines;
        std::vector<ShapeEdge> edges;
    };
    Group& current();
    void addEdge(QPoint control, QPoint to, bool curved);
    void closeContour();
    void changed();

    std::vector<Group> groups_;
    int edges_ = 0;
    QRectF bounds_;
    QPoint pen_;
    QPoint contourStart_;
    bool filling_ = false;
    std::optional<LineStyle> line_;
    int lineIndex_ = 0; // 1-based in the current group's lines, 0 for none
    quint64 version_ = 0;
    mutable std::optional<ShapeDef> shape_;
};

} // namespace movie
