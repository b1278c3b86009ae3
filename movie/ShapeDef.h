#pragma once

#include "movie/Geometry.h"

#include <QBrush>
#include <QGradient>
#include <QPainterPath>
#include <QPen>
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
    quint16 bitmapId = 0; // bitmap fills are not drawn yet
    QBrush plainBrush;     // the brush under an identity colour transform

    QBrush brush(const ColorTransform& cx) const;
    void prepare() { plainBrush = makeBrush(ColorTransform{}); }

private:
    QBrush makeBrush(const ColorTransform& cx) const;
};

struct LineStyle {
    double width = 20; // twips
    Qt::PenCapStyle cap = Qt::RoundCap;
    Qt::PenJoinStyle join = Qt::RoundJoin;
    double miterLimit = 3;
    bool noClose = false;
    FillStyle fill; // a solid colour unless the style has a fill of its own

    // The pen for a stroke drawn with `scale` device pixels per twip.
    QPen pen(const ColorTransform& cx, double scale) const;
};

// The paths of one style group of a shape: its fills, then its lines.
struct ShapeLayer {
    struct Fill {
        FillStyle style;
        QPainterPath path;
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

    // The union of every filled region, for use as a mask; made on first use.
    const QPainterPath& outline() const;

private:
    mutable std::optional<QPainterPath> outline_;
};

// Reads the body of DefineShape (version 1..4) after the character id.
ShapeDef readShape(SwfReader& r, int version);

} // namespace movie
