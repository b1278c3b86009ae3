#include "movie/ShapeDef.h"

#include "movie/Limits.h"
#include "movie/SwfReader.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <unordered_map>

namespace movie {

namespace {

constexpr double kGradientHalf = 16384.0;

// A straight or quadratic edge in twips, oriented so that its fill lies on
// one side consistently.
struct Edge {
    QPoint from;
    QPoint control;
    QPoint to;
    bool curved = false;

    Edge reversed() const { return {to, control, from, curved}; }
};

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

// Ratios that go back are held at the highest ratio so far; of several stops at one
// ratio the first colours the side before it and the last the side after,
// so they are kept apart by a hair. Linear-RGB interpolation is
// approximated with stops in between.
QGradientStops gradientStops(const QGradientStops& raw, bool linearRgb)
{
    QGradientStops stops;
    double highest = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        highest = std::max(highest, raw[i].first);
        const bool sameAsNext = i + 1 < raw.size() && std::max(highest, raw[i + 1].first) == highest;
        const bool sameAsPrevious = !stops.isEmpty() && stops.last().first >= highest;
        if (sameAsNext && sameAsPrevious)
            continue; // a middle stop of a run: never seen
        stops.append({highest, raw[i].second});
    }
    constexpr double kHair = 1.0 / 4096;
    for (qsizetype i = 1; i < stops.size(); ++i) {
        if (stops[i].first > stops[i - 1].first)
            continue;
        if (stops[i].first + kHair <= 1.0)
            stops[i].first += kHair;
        else
            stops[i - 1].first -= kHair;
    }
    if (!linearRgb || stops.size() < 2)
        return stops;

    auto toLinear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    auto toSrgb = [](double v) { return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055; };
    QGradientStops smooth;
    constexpr int kSteps = 8;
    for (qsizetype i = 0; i + 1 < stops.size(); ++i) {
        const auto& [p0, c0] = stops[i];
        const auto& [p1, c1] = stops[i + 1];
        for (int k = 0; k < kSteps; ++k) {
            const double t = double(k) / kSteps;
            auto mix = [&](double a, double b) { return toSrgb(toLinear(a) + (toLinear(b) - toLinear(a)) * t); };
            smooth.append({p0 + (p1 - p0) * t,
                           QColor::fromRgbF(float(mix(c0.redF(), c1.redF())), float(mix(c0.greenF(), c1.greenF())),
                                            float(mix(c0.blueF(), c1.blueF())),
                                            float(c0.alphaF() + (c1.alphaF() - c0.alphaF()) * t))});
        }
    }
    smooth.append(stops.last());
    return smooth;
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
    r.ub(3); // no-h-scale, no-v-scale, pixel hinting
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

class ShapeBuilder {
public:
    ShapeBuilder(int version, Qt::FillRule rule) : version_(version), rule_(rule) {}

    void readStyles(SwfReader& r)
    {
        std::vector<FillStyle> fills;
        std::vector<LineStyle> lines;
        const int fillCount = readCount(r, version_ >= 2);
        for (int i = 0; i < fillCount && !r.overrun(); ++i)
            fills.push_back(readFillStyle(r, version_));
        const int lineCount = readCount(r, true);
        for (int i = 0; i < lineCount && !r.overrun(); ++i)
            lines.push_back(readLineStyle(r, version_));
        setStyles(std::move(fills), std::move(lines));
    }

    void setStyles(std::vector<FillStyle> fills, std::vector<LineStyle> lines)
    {
        fills_ = std::move(fills);
        lines_ = std::move(lines);
        fillEdges_.assign(fills_.size(), {});
        linePaths_.assign(lines_.size(), {});
        lineEnds_.assign(lines_.size(), QPoint(INT_MIN, INT_MIN));
    }

    void readRecords(SwfReader& r, ShapeDef& shape)
    {
        r.align();
        int fillBits = static_cast<int>(r.ub(4));
        int lineBits = static_cast<int>(r.ub(4));
        int fill0 = 0, fill1 = 0, line = 0;
        QPoint pen;
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
                if ((flags & 0x10) && version_ >= 2) {
                    flush(shape);
                    readStyles(r);
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
            const Edge e = readEdgeRecord(r, pen);
            if (r.overrun())
                break;
            addEdge(e, fill0, fill1, line);
            pen = e.to;
        }
        flush(shape);
    }

    void addEdge(const Edge& e, int fill0, int fill1, int line)
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

    // Starts a new stroke for `line` even where the last one ended.
    void breakLine(int line)
    {
        if (line > 0 && line <= static_cast<int>(lineEnds_.size()))
            lineEnds_[static_cast<size_t>(line - 1)] = QPoint(INT_MIN, INT_MIN);
    }

    void flush(ShapeDef& shape)
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

private:
    // A stroke that comes back to its start is a closed loop: it is joined
    // there instead of capped.
    static QPainterPath closeLoops(const QPainterPath& path, bool noClose)
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

    int version_;
    Qt::FillRule rule_;
    std::vector<FillStyle> fills_;
    std::vector<LineStyle> lines_;
    std::vector<std::vector<Edge>> fillEdges_;
    std::vector<QPainterPath> linePaths_;
    std::vector<QPoint> lineEnds_;
};

QGradientStops transformedStops(const QGradientStops& stops, const ColorTransform& cx)
{
    QGradientStops out;
    out.reserve(stops.size());
    for (const auto& s : stops)
        out.append({s.first, cx.apply(s.second)});
    return out;
}

} // namespace

QBrush FillStyle::brush(const ColorTransform& cx) const
{
    if (cx.isIdentity())
        return plainBrush;
    if (kind == Kind::Solid)
        return QBrush(cx.apply(color));
    if (!lastBrush_ || !(lastBrush_->first == cx))
        lastBrush_.emplace(cx, makeBrush(cx));
    return lastBrush_->second;
}

namespace {
// The picture with the colour transform applied to every pixel.
QImage transformedPicture(const QImage& picture, const ColorTransform& cx)
{
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = cx.apply(QColor::fromRgba(line[x]));
            line[x] = qRgba(c.red(), c.green(), c.blue(), c.alpha());
        }
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
} // namespace

QBrush FillStyle::makeBrush(const ColorTransform& cx) const
{
    if (kind == Kind::Solid)
        return QBrush(cx.apply(color));
    if (kind == Kind::Bitmap) {
        if (bitmap.isNull())
            return QBrush(Qt::NoBrush);
        QBrush b(cx.isIdentity() ? bitmap : transformedPicture(bitmap, cx));
        b.setTransform(matrix);
        return b;
    }
    if (stops.isEmpty())
        return QBrush(Qt::NoBrush);
    QGradient gradient;
    if (kind == Kind::LinearGradient) {
        gradient = QLinearGradient(-kGradientHalf, 0, kGradientHalf, 0);
    } else {
        const double focus = std::clamp(focal, -0.998, 0.998) * kGradientHalf;
        gradient = QRadialGradient(QPointF(0, 0), kGradientHalf, QPointF(focus, 0));
    }
    gradient.setStops(transformedStops(stops, cx));
    gradient.setSpread(spread);
    QBrush b(gradient);
    b.setTransform(matrix);
    return b;
}

QPen LineStyle::pen(const ColorTransform& cx, double scale) const
{
    const double deviceWidth = width * scale;
    QPen p(fill.brush(cx), deviceWidth < 1.0 ? 1.0 : width);
    p.setCosmetic(deviceWidth < 1.0);
    p.setCapStyle(cap);
    p.setJoinStyle(join == Qt::MiterJoin ? Qt::SvgMiterJoin : join);
    p.setMiterLimit(miterLimit);
    return p;
}

const QPainterPath& ShapeDef::outline() const
{
    if (!outline_) {
        QPainterPath all;
        all.setFillRule(Qt::WindingFill);
        for (const auto& layer : layers) {
            for (const auto& fill : layer.fills)
                all = all.isEmpty() ? fill.path : all.united(fill.path);
            for (const auto& stroke : layer.strokes) {
                QPainterPathStroker stroker;
                stroker.setWidth(std::max(stroke.style.width, 20.0));
                stroker.setCapStyle(stroke.style.cap);
                stroker.setJoinStyle(stroke.style.join);
                const QPainterPath area = stroker.createStroke(stroke.path);
                all = all.isEmpty() ? area : all.united(area);
            }
        }
        outline_ = all;
    }
    return *outline_;
}

void ShapeDef::resolveBitmaps(const std::function<QImage(quint16)>& picture)
{
    auto resolve = [&](FillStyle& f, QPainterPath* path) {
        if (f.kind != FillStyle::Kind::Bitmap)
            return;
        f.bitmap = picture(f.bitmapId);
        if (path && !f.repeating && !f.bitmap.isNull()) {
            QPainterPath area;
            area.addPolygon(f.matrix.map(QPolygonF(QRectF(f.bitmap.rect()))));
            *path = path->intersected(area);
        }
        f.prepare();
    };
    for (auto& layer : layers) {
        for (auto& fill : layer.fills)
            resolve(fill.style, &fill.path);
        for (auto& stroke : layer.strokes)
            resolve(stroke.style.fill, nullptr);
    }
    outline_.reset();
}

QPainterPath readGlyph(SwfReader& r)
{
    ShapeBuilder builder(1, Qt::WindingFill);
    FillStyle ink;
    ink.color = Qt::black;
    builder.setStyles({ink}, {LineStyle{}});
    ShapeDef glyph;
    builder.readRecords(r, glyph);
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

ShapeDef buildShape(const std::vector<FillStyle>& fills, const std::vector<LineStyle>& lines,
                    const std::vector<ShapeEdge>& edges, Qt::FillRule rule)
{
    ShapeDef shape;
    ShapeBuilder builder(4, rule);
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
    ShapeBuilder builder(version, rule);
    builder.readStyles(r);
    builder.readRecords(r, shape);
    return shape;
}

} // namespace movie
