#pragma once

#include "movie/format/Geometry.h"

#include <QBrush>
#include <QGradient>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <functional>
#include <optional>
#include <vector>

namespace movie {

class SwfReader;

// How the inside of a shape region is painted. Gradients live in a square
// of -16384..16384 twips placed by `matrix` in the shape's space.
struct FillStyle {
    enum class Kind { Solid, LinearGradient, RadialGradient, FocalGradient, Bitmap };
    Kind kind = Kind::Solid;
    QColor color;
    QTransform matrix;
    QGradientStops stops;
    QGradient::Spread spread = QGradient::PadSpread;
    double focal = 0;
    // Bitmap fills: the picture (null when the id names none, which draws
    // nothing), whether it repeats beyond its edges and whether it is
    // smoothed when scaled. `matrix` maps its pixels into the shape.
    quint16 bitmapId = 0;
    QImage bitmap;
    bool repeating = true;
    bool smooth = true;
    QBrush plainBrush; // the brush under an identity colour transform

    QBrush brush(const ColorTransform& cx) const;
    void prepare() { plainBrush = makeBrush(ColorTransform{}); }

private:
    QBrush makeBrush(const ColorTransform& cx) const;
    // The last brush made under another colour transform: a fade redraws
    // a bitmap under the same transform for every frame it stands still.
    mutable std::optional<std::pair<ColorTransform, QBrush>> lastBrush_;
};

struct LineStyle {
    double width = 20; // twips
    Qt::PenCapStyle cap = Qt::RoundCap;
    Qt::PenJoinStyle join = Qt::RoundJoin;
    double miterLimit = 3;
    bool noClose = false;
    // Scale modes: the width does not follow the horizontal (noHScale) or
    // vertical (noVScale) scale of the shape's own placement.
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false; // strokes lie on whole pixels
    FillStyle fill;            // a solid colour unless the style has a fill of its own

    // How much of the scale of a shape's own placement `place` a stroke of
    // a scale mode keeps: the vertical scale alone (noHScale), the
    // horizontal alone (noVScale), or none.
    double ownScale(const QTransform& place) const;
    // The pen of a stroke `width` wide (device pixels when `cosmetic`),
    // its fill placed by `t`.
    QPen pen(const ColorTransform& cx, double width, const QTransform& t, bool cosmetic = false) const;
};

// The paths of one style group of a shape: its fills, then its lines.
struct ShapeLayer {
    struct Fill {
        FillStyle style;
        QPainterPath path;
        // `path` filled in one colour.
        static Fill solid(const QColor& colour, QPainterPath path);
    };
    struct Stroke {
        LineStyle style;
        QPainterPath path;
    };
    std::vector<Fill> fills;
    std::vector<Stroke> strokes;
};

// A shape ready to draw: its layers as painter paths in twips.
struct ShapeDef {
    QRectF bounds;
    std::vector<ShapeLayer> layers;
    bool edgesCut = false; // read up to limits::kMaxShapeEdges; the edges after those are left out

    // The union of every filled region and stroke, for use as a mask; made
    // on first use.
    const QPainterPath& outline() const;
    // Gives bitmap fills their pictures; a clipped bitmap fill is cut to
    // the picture's area.
    void resolveBitmaps(const std::function<QImage(quint16)>& picture);

private:
    mutable std::optional<QPainterPath> outline_;
};

// Reads the body of DefineShape (version 1..4) after the character id.
ShapeDef readShape(SwfReader& r, int version);

// Reads a glyph of a font: shape records with one implicit fill, in the
// font's units. Its filled region is returned.
QPainterPath readGlyph(SwfReader& r);

// An edge in twips with the styles on its sides, for shapes made in code
// (the in-between shapes of a morph).
struct ShapeEdge {
    QPoint from;
    QPoint control;
    QPoint to;
    bool curved = false;
    int fill0 = 0, fill1 = 0, line = 0; // 1-based, 0 none
    bool moveBefore = false;            // a new stroke starts at `from`
};
// Reads shape records (bit counts first) into edges, for morph shapes,
// whose records never bring new styles; at most limits::kMaxShapeEdges.
std::vector<ShapeEdge> readEdges(SwfReader& r);
ShapeDef buildShape(const std::vector<FillStyle>& fills, const std::vector<LineStyle>& lines,
                    const std::vector<ShapeEdge>& edges, Qt::FillRule rule);

// Gradient stops as Qt's gradients need them to look as the file means.
QGradientStops gradientStops(const QGradientStops& raw, bool linearRgb);
QGradient::Spread gradientSpread(quint32 mode);

} // namespace movie
