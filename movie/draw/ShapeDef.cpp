// Reading shape records: styles, edges and style changes, in file order.
#include "movie/draw/ShapeDef.h"

#include "movie/Limits.h"
#include "movie/draw/ShapeBuilder.h"
#include "movie/format/SwfReader.h"

#include <algorithm>

namespace movie {

namespace {

// The pen is held within limits::kMaxCoordinate twips of the origin, so
// sums and midpoints of points never leave int.
int clampCoordinate(qint64 v)
{
    return static_cast<int>(std::clamp<qint64>(v, -limits::kMaxCoordinate, limits::kMaxCoordinate));
}

QPoint movedBy(QPoint p, qint64 dx, qint64 dy)
{
    return QPoint(clampCoordinate(p.x() + dx), clampCoordinate(p.y() + dy));
}

// The position of a move-to record, its bit count already read.
QPoint readMoveTo(SwfReader& r, int bits)
{
    const qint64 x = r.sb(bits);
    const qint64 y = r.sb(bits);
    return movedBy(QPoint(), x, y);
}

// An edge record after its type bit, starting at `pen`. The deltas come in
// the file's order: a straight edge's x then y (or just one of them), a
// curve's control x, control y, then anchor x, anchor y.
Edge readEdgeRecord(SwfReader& r, QPoint pen)
{
    Edge e;
    e.from = pen;
    const bool straight = r.ub(1);
    const int bits = static_cast<int>(r.ub(4)) + 2;
    if (straight) {
        qint64 dx = 0, dy = 0;
        if (r.ub(1)) {
            dx = r.sb(bits);
            dy = r.sb(bits);
        } else if (r.ub(1)) {
            dy = r.sb(bits);
        } else {
            dx = r.sb(bits);
        }
        e.to = movedBy(pen, dx, dy);
        e.control = e.to;
        return e;
    }
    const qint64 controlX = r.sb(bits);
    const qint64 controlY = r.sb(bits);
    const qint64 anchorX = r.sb(bits);
    const qint64 anchorY = r.sb(bits);
    e.control = movedBy(pen, controlX, controlY);
    e.to = movedBy(e.control, anchorX, anchorY);
    e.curved = true;
    return e;
}

} // namespace

QGradient::Spread gradientSpread(quint32 mode)
{
    switch (mode) {
    case 1:
        return QGradient::ReflectSpread;
    case 2:
        return QGradient::RepeatSpread;
    default:
        return QGradient::PadSpread;
    }
}

namespace {

FillStyle readFillStyle(SwfReader& r, int version)
{
    FillStyle f;
    const int type = r.u8();
    if (type == 0x00) {
        f.kind = FillStyle::Kind::Solid;
        f.color = version >= 3 ? readRgba(r) : readRgb(r);
    } else if (type == 0x10 || type == 0x12 || type == 0x13) {
        f.kind = type == 0x10 ? FillStyle::Kind::LinearGradient
                              : (type == 0x12 ? FillStyle::Kind::RadialGradient : FillStyle::Kind::FocalGradient);
        f.matrix = readMatrix(r).toTransform();
        r.align();
        // The spread bits are honoured in every shape version, as players do.
        f.spread = gradientSpread(r.ub(2));
        const bool linearRgb = r.ub(2) == 1;
        const int count = static_cast<int>(r.ub(4));
        QGradientStops stops;
        for (int i = 0; i < count; ++i) {
            const double ratio = r.u8() / 255.0;
            const QColor c = version >= 3 ? readRgba(r) : readRgb(r);
            stops.append({ratio, c});
        }
        f.stops = gradientStops(stops, linearRgb);
        if (type == 0x13)
            f.focal = r.s16() / 256.0;
        f.color = f.stops.isEmpty() ? QColor(Qt::transparent) : f.stops.first().second;
    } else if (type >= 0x40 && type <= 0x43) {
        f.kind = FillStyle::Kind::Bitmap;
        f.bitmapId = r.u16();
        f.matrix = readMatrix(r).toTransform();
        f.repeating = type == 0x40 || type == 0x42;
        f.smooth = type == 0x40 || type == 0x41;
        f.color = QColor(Qt::transparent);
    } else {
        // An unknown fill type cannot be skipped reliably: draw nothing with it.
        f.color = QColor(Qt::transparent);
    }
    f.prepare();
    return f;
}

LineStyle readLineStyle(SwfReader& r, int version)
{
    LineStyle l;
    l.width = r.u16();
    if (version < 4) {
        l.fill.color = version >= 3 ? readRgba(r) : readRgb(r);
        l.fill.prepare();
        return l;
    }
    static constexpr Qt::PenCapStyle caps[] = {Qt::RoundCap, Qt::FlatCap, Qt::SquareCap, Qt::RoundCap};
    static constexpr Qt::PenJoinStyle joins[] = {Qt::RoundJoin, Qt::BevelJoin, Qt::MiterJoin, Qt::RoundJoin};
    l.cap = caps[r.ub(2)];
    const quint32 join = r.ub(2);
    l.join = joins[join];
    const bool hasFill = r.ub(1);
    l.noHScale = r.ub(1);
    l.noVScale = r.ub(1);
    l.pixelHinting = r.ub(1);
    r.ub(5);
    l.noClose = r.ub(1);
    r.ub(2); // end caps: Qt's pen has one cap for both ends
    if (join == 2)
        l.miterLimit = r.u16() / 256.0;
    if (hasFill) {
        l.fill = readFillStyle(r, version);
    } else {
        l.fill.color = readRgba(r);
        l.fill.prepare();
    }
    return l;
}

// Reads a style array's count, refusing counts the remaining bytes cannot hold.
int readCount(SwfReader& r, bool extended)
{
    int count = r.u8();
    if (count == 0xFF && extended)
        count = r.u16();
    return static_cast<int>(std::min<qsizetype>(count, r.remaining()));
}

void readStyles(SwfReader& r, ShapeBuilder& builder, int version)
{
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    const int fillCount = readCount(r, version >= 2);
    for (int i = 0; i < fillCount && !r.overrun(); ++i)
        fills.push_back(readFillStyle(r, version));
    const int lineCount = readCount(r, true);
    for (int i = 0; i < lineCount && !r.overrun(); ++i)
        lines.push_back(readLineStyle(r, version));
    builder.setStyles(std::move(fills), std::move(lines));
}

// Reads shape records into the builder; version 2 and up may bring new
// styles, each set making a new layer of the shape.
void readRecords(SwfReader& r, ShapeBuilder& builder, int version, ShapeDef& shape)
{
    r.align();
    int fillBits = static_cast<int>(r.ub(4));
    int lineBits = static_cast<int>(r.ub(4));
    int fill0 = 0, fill1 = 0, line = 0;
    QPoint pen;
    int edges = 0;
    while (!r.overrun()) {
        if (r.ub(1) == 0) {
            const quint32 flags = r.ub(5);
            if (flags == 0 || r.overrun())
                break;
            if (flags & 0x01) {
                const int bits = static_cast<int>(r.ub(5));
                pen = readMoveTo(r, bits);
            }
            const int newFill0 = (flags & 0x02) ? static_cast<int>(r.ub(fillBits)) : -1;
            const int newFill1 = (flags & 0x04) ? static_cast<int>(r.ub(fillBits)) : -1;
            const int newLine = (flags & 0x08) ? static_cast<int>(r.ub(lineBits)) : -1;
            if ((flags & 0x10) && version >= 2) {
                builder.flush(shape);
                readStyles(r, builder, version);
                r.align();
                fillBits = static_cast<int>(r.ub(4));
                lineBits = static_cast<int>(r.ub(4));
                fill0 = fill1 = line = 0;
            }
            if (newFill0 >= 0)
                fill0 = newFill0;
            if (newFill1 >= 0)
                fill1 = newFill1;
            if (newLine >= 0)
                line = newLine;
            continue;
        }
        if (++edges > limits::kMaxShapeEdges) {
            shape.edgesCut = true;
            break;
        }
        const Edge e = readEdgeRecord(r, pen);
        if (r.overrun())
            break;
        builder.addEdge(e, fill0, fill1, line);
        pen = e.to;
    }
    builder.flush(shape);
}

} // namespace

QPainterPath readGlyph(SwfReader& r)
{
    ShapeBuilder builder(Qt::WindingFill);
    FillStyle ink;
    ink.color = Qt::black;
    builder.setStyles({ink}, {LineStyle{}});
    ShapeDef glyph;
    readRecords(r, builder, 1, glyph);
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const auto& layer : glyph.layers)
        for (const auto& fill : layer.fills)
            path.addPath(fill.path);
    return path;
}

std::vector<ShapeEdge> readEdges(SwfReader& r)
{
    std::vector<ShapeEdge> edges;
    r.align();
    const int fillBits = static_cast<int>(r.ub(4));
    const int lineBits = static_cast<int>(r.ub(4));
    int fill0 = 0, fill1 = 0, line = 0;
    bool moved = true;
    QPoint pen;
    while (!r.overrun()) {
        if (r.ub(1) == 0) {
            const quint32 flags = r.ub(5);
            if (flags == 0 || (flags & 0x10) || r.overrun())
                break;
            if (flags & 0x01) {
                const int bits = static_cast<int>(r.ub(5));
                pen = readMoveTo(r, bits);
                moved = true;
            }
            if (flags & 0x02)
                fill0 = static_cast<int>(r.ub(fillBits));
            if (flags & 0x04)
                fill1 = static_cast<int>(r.ub(fillBits));
            if (flags & 0x08)
                line = static_cast<int>(r.ub(lineBits));
            continue;
        }
        if (edges.size() >= size_t(limits::kMaxShapeEdges))
            break;
        const Edge record = readEdgeRecord(r, pen);
        ShapeEdge e;
        e.from = record.from;
        e.to = record.to;
        e.curved = record.curved;
        e.control = record.curved ? record.control : (e.from + e.to) / 2;
        if (r.overrun())
            break;
        e.fill0 = fill0;
        e.fill1 = fill1;
        e.line = line;
        e.moveBefore = moved;
        moved = false;
        edges.push_back(e);
        pen = e.to;
    }
    return edges;
}

ShapeDef readShape(SwfReader& r, int version)
{
    ShapeDef shape;
    shape.bounds = readRect(r);
    Qt::FillRule rule = Qt::OddEvenFill;
    if (version >= 4) {
        readRect(r); // edge bounds
        const quint8 flags = r.u8();
        if (flags & 0x04)
            rule = Qt::WindingFill;
    }
    ShapeBuilder builder(rule);
    readStyles(r, builder, version);
    readRecords(r, builder, version, shape);
    return shape;
}

} // namespace movie
