// Painting a shape's styles: brushes, pens, gradient stops and outlines.
#include "movie/draw/ShapeDef.h"

#include "movie/draw/PathOps.h"

#include <QPainterPathStroker>
#include <algorithm>
#include <array>
#include <cmath>

namespace movie {

namespace {

constexpr double kGradientHalf = 16384.0;

QGradientStops transformedStops(const QGradientStops& stops, const ColorTransform& cx)
{
    QGradientStops out;
    out.reserve(stops.size());
    for (const auto& s : stops)
        out.append({s.first, cx.apply(s.second)});
    return out;
}

} // namespace

// The colours of a gradient as the reference player makes them: a table of
// 256 entries. Up to the first stop's ratio the entries take its colour;
// from there each stop is reached by mixing from the one before it without
// premultiplied alpha (in linear RGB where the file asks for it). A stop at
// or before a ratio already reached takes the next entry alone, so stops at
// one ratio show as thin bands; after the last stop its colour stays. Qt
// mixes stops premultiplied and smoothly, so each entry becomes a band of
// its own in the stops handed to it.
QGradientStops gradientStops(const QGradientStops& raw, bool linearRgb)
{
    if (raw.size() < 2)
        return raw;
    auto toLinear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    auto toSrgb = [](double v) { return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055; };
    auto mix = [&](const QColor& a, const QColor& b, double t) {
        auto channel = [&](double u, double v) {
            return linearRgb ? toSrgb(toLinear(u) + (toLinear(v) - toLinear(u)) * t) : u + (v - u) * t;
        };
        return QColor::fromRgbF(float(channel(a.redF(), b.redF())), float(channel(a.greenF(), b.greenF())),
                                float(channel(a.blueF(), b.blueF())),
                                float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
    };
    auto ratioOf = [](double r) { return static_cast<int>(std::lround(std::clamp(r, 0.0, 1.0) * 255)); };
    std::array<QColor, 256> table;
    int next = ratioOf(raw.front().first) + 1; // the first entry not yet coloured
    for (int e = 0; e < next; ++e)
        table[static_cast<size_t>(e)] = raw.front().second;
    for (qsizetype k = 1; k < raw.size() && next < 256; ++k) {
        const int from = ratioOf(raw[k - 1].first);
        const int to = ratioOf(raw[k].first);
        if (to <= next - 1) {
            table[static_cast<size_t>(next++)] = raw[k].second;
            continue;
        }
        for (int e = next - 1; e <= to; ++e)
            table[static_cast<size_t>(e)] = mix(raw[k - 1].second, raw[k].second, double(e - from) / (to - from));
        next = to + 1;
    }
    for (int e = next; e < 256; ++e)
        table[static_cast<size_t>(e)] = raw.back().second;
    QGradientStops stops;
    stops.reserve(512);
    for (int e = 0; e < 256; ++e) {
        stops.append({e / 256.0, table[static_cast<size_t>(e)]});
        stops.append({(e + 1) / 256.0 - 1e-6, table[static_cast<size_t>(e)]});
    }
    return stops;
}

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
        // The player keeps the focal point off the edge: no nearer than
        // 2% of the radius.
        const double focus = std::clamp(focal, -0.98, 0.98) * kGradientHalf;
        gradient = QRadialGradient(QPointF(0, 0), kGradientHalf, QPointF(focus, 0));
    }
    gradient.setStops(transformedStops(stops, cx));
    gradient.setSpread(spread);
    QBrush b(gradient);
    b.setTransform(matrix);
    return b;
}

double LineStyle::ownScale(const QTransform& place) const
{
    if (noHScale && noVScale)
        return 1;
    if (noHScale)
        return std::hypot(place.m21(), place.m22());
    if (noVScale)
        return std::hypot(place.m11(), place.m12());
    return std::sqrt(std::abs(place.determinant()));
}

QPen LineStyle::pen(const ColorTransform& cx, double width, const QTransform& t, bool cosmetic) const
{
    QBrush brush = fill.brush(cx);
    if (brush.style() != Qt::SolidPattern && brush.style() != Qt::NoBrush)
        brush.setTransform(brush.transform() * t);
    QPen p(brush, width);
    p.setCosmetic(cosmetic);
    p.setCapStyle(cap);
    p.setJoinStyle(join == Qt::MiterJoin ? Qt::SvgMiterJoin : join);
    p.setMiterLimit(miterLimit);
    return p;
}

ShapeLayer::Fill ShapeLayer::Fill::solid(const QColor& colour, QPainterPath path)
{
    Fill fill;
    fill.style.color = colour;
    fill.style.prepare();
    fill.path = std::move(path);
    return fill;
}

const QPainterPath& ShapeDef::outline() const
{
    if (!outline_) {
        QPainterPath all;
        all.setFillRule(Qt::WindingFill);
        for (const auto& layer : layers) {
            for (const auto& fill : layer.fills)
                all = unitedPaths(all, fill.path);
            for (const auto& stroke : layer.strokes) {
                QPainterPathStroker stroker;
                stroker.setWidth(std::max(stroke.style.width, 20.0));
                stroker.setCapStyle(stroke.style.cap);
                stroker.setJoinStyle(stroke.style.join);
                const QPainterPath area = stroker.createStroke(stroke.path);
                all = unitedPaths(all, area);
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
            *path = intersectedPaths(*path, area);
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

} // namespace movie
