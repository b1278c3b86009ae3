#pragma once

#include "movie/draw/ShapeDef.h"

#include <memory>
#include <vector>

namespace movie {

class SwfReader;

// A shape tween: start and end styles and edges, drawn at any ratio between
// them (0 the start, 65535 the end).
class MorphShapeDef {
public:
    struct Fill {
        FillStyle start, end;
        QGradientStops startStops, endStops; // as written, before smoothing
        bool linearRgb = false;
    };
    struct Line {
        LineStyle start, end;
        std::optional<Fill> fill;
    };

    std::vector<Fill> fills;
    std::vector<Line> lines;
    std::vector<ShapeEdge> startEdges, endEdges; // paired one by one

    // The shape at `ratio`; the last one made is kept for the next frames.
    std::shared_ptr<const ShapeDef> at(quint16 ratio) const;
    void resolveBitmaps(const std::function<QImage(quint16)>& picture);

private:
    mutable quint16 lastRatio_ = 0;
    mutable std::shared_ptr<const ShapeDef> last_;
};

// Reads DefineMorphShape (version 1) or DefineMorphShape2 (2) after the id.
MorphShapeDef readMorphShape(SwfReader& r, int version);

} // namespace movie
