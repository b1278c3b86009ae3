#pragma once

#include "movie/format/Geometry.h"

#include <QGradient>
#include <QPoint>
#include <QRect>
#include <optional>
#include <vector>

namespace movie::writer {

// A shape to write: style arrays and records, with coordinates in twips.
// Style indices are 1-based as in the file; 0 means none.
struct ShapeSpec {
    struct Fill {
        enum class Kind {
            Solid = 0x00,
            Linear = 0x10,
            Radial = 0x12,
            Focal = 0x13,
            BitmapRepeating = 0x40,
            Bitmap = 0x41, // clipped to the picture
            BitmapRepeatingHard = 0x42,
            BitmapHard = 0x43,
        };
        Kind kind = Kind::Solid;
        QColor color;
        Matrix matrix;                             // gradient square or bitmap placement
        std::vector<std::pair<int, QColor>> stops; // ratio 0..255, colour
        int spread = 0;                            // 0 pad, 1 reflect, 2 repeat
        int interpolation = 0;                     // 0 normal, 1 linear RGB
        double focal = 0;
        quint16 bitmapId = 0;

        static Fill solid(const QColor& c)
        {
            Fill f;
            f.color = c;
            return f;
        }
        static Fill bitmap(quint16 id, const Matrix& m, Kind kind = Kind::Bitmap)
        {
            Fill f;
            f.kind = kind;
            f.bitmapId = id;
            f.matrix = m;
            return f;
        }
        static Fill gradient(Kind kind, const Matrix& m, std::vector<std::pair<int, QColor>> stops, int spread = 0);
    };
    struct Line {
        quint16 width = 20;
        QColor color = Qt::black;
        int cap = 0;  // 0 round, 1 none, 2 square
        int join = 0; // 0 round, 1 bevel, 2 miter
        double miterLimit = 3;
        bool noClose = false;
        bool noHScale = false, noVScale = false, pixelHinting = false; // DefineShape4 only
        std::optional<Fill> fill;                                      // DefineShape4 only
    };
    struct Record {
        enum class Type { Style, Straight, Curve };
        Type type = Type::Style;
        std::optional<QPoint> moveTo;
        int fill0 = -1, fill1 = -1, line = -1; // -1: unchanged
        bool newStyles = false;
        std::vector<Fill> fills;
        std::vector<Line> lines;
        QPoint control, anchor; // absolute
    };

    std::vector<Fill> fills;
    std::vector<Line> lines;
    std::vector<Record> records;
    bool nonZeroWinding = false; // DefineShape4 only

    ShapeSpec& style(int fill0, int fill1, int line, std::optional<QPoint> moveTo = std::nullopt);
    ShapeSpec& moveTo(int x, int y) { return style(-1, -1, -1, QPoint(x, y)); }
    ShapeSpec& lineTo(int x, int y);
    ShapeSpec& curveTo(int cx, int cy, int x, int y);
    ShapeSpec& newStyles(std::vector<Fill> f, std::vector<Line> l);
    // A closed rectangle outline drawn clockwise from its top-left corner,
    // with fill1 on its inside as authoring tools write it.
    ShapeSpec& rect(const QRect& r, int fill, int line = 0);

    // The bounds of the edges (for the shape's RECT), widened by half the
    // widest line.
    QRect bounds() const;
};

} // namespace movie::writer
