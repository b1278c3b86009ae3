#include "movie/format/MorphShape.h"

#include "movie/format/SwfReader.h"

#include <algorithm>

namespace movie {

namespace {

double mix(double a, double b, double t) { return a + (b - a) * t; }

QColor mix(const QColor& a, const QColor& b, double t)
{
    auto ch = [t](int x, int y) { return std::clamp(static_cast<int>(std::lround(mix(x, y, t))), 0, 255); };
    return QColor(ch(a.red(), b.red()), ch(a.green(), b.green()), ch(a.blue(), b.blue()), ch(a.alpha(), b.alpha()));
}

QTransform mix(const QTransform& a, const QTransform& b, double t)
{
    return QTransform(mix(a.m11(), b.m11(), t), mix(a.m12(), b.m12(), t), mix(a.m21(), b.m21(), t),
                      mix(a.m22(), b.m22(), t), mix(a.dx(), b.dx(), t), mix(a.dy(), b.dy(), t));
}

QPoint mix(QPoint a, QPoint b, double t)
{
    return QPoint(static_cast<int>(std::lround(mix(a.x(), b.x(), t))),
                  static_cast<int>(std::lround(mix(a.y(), b.y(), t))));
}

MorphShapeDef::Fill readMorphFill(SwfReader& r)
{
    MorphShapeDef::Fill f;
    const int type = r.u8();
    if (type == 0x00) {
        f.start.color = readRgba(r);
        f.end.color = readRgba(r);
    } else if (type == 0x10 || type == 0x12 || type == 0x13) {
        const auto kind = type == 0x10
            ? FillStyle::Kind::LinearGradient
            : (type == 0x12 ? FillStyle::Kind::RadialGradient : FillStyle::Kind::FocalGradient);
        f.start.kind = f.end.kind = kind;
        f.start.matrix = readMatrix(r).toTransform();
        f.end.matrix = readMatrix(r).toTransform();
        // The count's high bits hold spread and interpolation, as in shapes.
        const int head = r.u8();
        f.start.spread = f.end.spread = gradientSpread(static_cast<quint32>(head >> 6) & 3);
        f.linearRgb = ((head >> 4) & 3) == 1;
        for (int i = 0; i < (head & 0x0F); ++i) {
            const double startRatio = r.u8() / 255.0;
            const QColor startColor = readRgba(r);
            const double endRatio = r.u8() / 255.0;
            const QColor endColor = readRgba(r);
            f.startStops.append({startRatio, startColor});
            f.endStops.append({endRatio, endColor});
        }
        if (type == 0x13) {
            f.start.focal = r.s16() / 256.0;
            f.end.focal = r.s16() / 256.0;
        }
    } else if (type >= 0x40 && type <= 0x43) {
        f.start.kind = f.end.kind = FillStyle::Kind::Bitmap;
        f.start.bitmapId = f.end.bitmapId = r.u16();
        f.start.matrix = readMatrix(r).toTransform();
        f.end.matrix = readMatrix(r).toTransform();
        f.start.repeating = f.end.repeating = type == 0x40 || type == 0x42;
        f.start.smooth = f.end.smooth = type == 0x40 || type == 0x41;
    } else {
        f.start.color = f.end.color = QColor(Qt::transparent);
    }
    return f;
}

MorphShapeDef::Line readMorphLine(SwfReader& r, int version)
{
    MorphShapeDef::Line l;
    l.start.width = r.u16();
    l.end.width = r.u16();
    if (version >= 2) {
        static constexpr Qt::PenCapStyle caps[] = {Qt::RoundCap, Qt::FlatCap, Qt::SquareCap, Qt::RoundCap};
        static constexpr Qt::PenJoinStyle joins[] = {Qt::RoundJoin, Qt::BevelJoin, Qt::MiterJoin, Qt::RoundJoin};
        l.start.cap = caps[r.ub(2)];
        const quint32 join = r.ub(2);
        l.start.join = joins[join];
        const bool hasFill = r.ub(1);
        l.start.noHScale = r.ub(1);
        l.start.noVScale = r.ub(1);
        l.start.pixelHinting = r.ub(1);
        r.ub(5);
        l.start.noClose = r.ub(1);
        r.ub(2);
        if (join == 2)
            l.start.miterLimit = r.u16() / 256.0;
        l.end.cap = l.start.cap;
        l.end.join = l.start.join;
        l.end.noClose = l.start.noClose;
        l.end.miterLimit = l.start.miterLimit;
        l.end.noHScale = l.start.noHScale;
        l.end.noVScale = l.start.noVScale;
        l.end.pixelHinting = l.start.pixelHinting;
        if (hasFill) {
            l.fill = readMorphFill(r);
            return l;
        }
    }
    l.start.fill.color = readRgba(r);
    l.end.fill.color = readRgba(r);
    return l;
}

FillStyle fillAt(const MorphShapeDef::Fill& f, double t)
{
    FillStyle s = f.start;
    s.color = mix(f.start.color, f.end.color, t);
    s.matrix = mix(f.start.matrix, f.end.matrix, t);
    s.focal = mix(f.start.focal, f.end.focal, t);
    if (!f.startStops.isEmpty()) {
        QGradientStops raw;
        for (qsizetype i = 0; i < f.startStops.size() && i < f.endStops.size(); ++i)
            raw.append({mix(f.startStops[i].first, f.endStops[i].first, t),
                        mix(f.startStops[i].second, f.endStops[i].second, t)});
        s.stops = gradientStops(raw, f.linearRgb);
        s.color = s.stops.isEmpty() ? QColor(Qt::transparent) : s.stops.first().second;
    }
    s.prepare();
    return s;
}

int readCount(SwfReader& r)
{
    int count = r.u8();
    if (count == 0xFF)
        count = r.u16();
    return static_cast<int>(std::min<qsizetype>(count, r.remaining()));
}

} // namespace

MorphShapeDef readMorphShape(SwfReader& r, int version)
{
    MorphShapeDef morph;
    readRect(r); // start bounds
    readRect(r); // end bounds
    if (version >= 2) {
        readRect(r);
        readRect(r);
        r.u8(); // stroke scaling flags
    }
    const qsizetype endOffset = r.u32();
    const QByteArray rest = r.rest();
    SwfReader styles(rest);
    const int fillCount = readCount(styles);
    for (int i = 0; i < fillCount && !styles.overrun(); ++i)
        morph.fills.push_back(readMorphFill(styles));
    const int lineCount = readCount(styles);
    for (int i = 0; i < lineCount && !styles.overrun(); ++i)
        morph.lines.push_back(readMorphLine(styles, version));
    morph.startEdges = readEdges(styles);
    if (endOffset >= 0 && endOffset < rest.size()) {
        SwfReader end(rest.constData() + endOffset, rest.size() - endOffset);
        morph.endEdges = readEdges(end);
    }
    // Edges without a partner cannot be tweened: both lists are cut to the shorter.
    const size_t pairs = std::min(morph.startEdges.size(), morph.endEdges.size());
    morph.startEdges.resize(pairs);
    morph.endEdges.resize(pairs);
    return morph;
}

std::shared_ptr<const ShapeDef> MorphShapeDef::at(quint16 ratio) const
{
    if (last_ && lastRatio_ == ratio)
        return last_;
    const double t = ratio / 65535.0;
    std::vector<FillStyle> fillStyles;
    fillStyles.reserve(fills.size());
    for (const Fill& f : fills)
        fillStyles.push_back(fillAt(f, t));
    std::vector<LineStyle> lineStyles;
    lineStyles.reserve(lines.size());
    for (const Line& l : lines) {
        LineStyle s = l.start;
        s.width = mix(l.start.width, l.end.width, t);
        if (l.fill) {
            s.fill = fillAt(*l.fill, t);
        } else {
            s.fill.color = mix(l.start.fill.color, l.end.fill.color, t);
            s.fill.prepare();
        }
        lineStyles.push_back(s);
    }
    std::vector<ShapeEdge> edges;
    edges.reserve(startEdges.size());
    for (size_t i = 0; i < startEdges.size(); ++i) {
        const ShapeEdge& a = startEdges[i];
        const ShapeEdge& b = endEdges[i];
        ShapeEdge e = a;
        e.from = mix(a.from, b.from, t);
        e.to = mix(a.to, b.to, t);
        e.control = mix(a.control, b.control, t);
        e.curved = a.curved || b.curved; // a straight edge is a curve with its control midway
        edges.push_back(e);
    }
    last_ = std::make_shared<const ShapeDef>(buildShape(fillStyles, lineStyles, edges, Qt::OddEvenFill));
    lastRatio_ = ratio;
    return last_;
}

void MorphShapeDef::resolveBitmaps(const std::function<QImage(quint16)>& picture)
{
    auto resolve = [&](Fill& f) {
        if (f.start.kind == FillStyle::Kind::Bitmap) {
            f.start.bitmap = picture(f.start.bitmapId);
            f.end.bitmap = f.start.bitmap;
        }
    };
    for (Fill& f : fills)
        resolve(f);
    for (Line& l : lines)
        if (l.fill)
            resolve(*l.fill);
    last_.reset();
}

} // namespace movie
