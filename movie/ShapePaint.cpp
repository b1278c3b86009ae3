// Painting a shape's styles: brushes, pens, gradient stops and outlines.
#include "movie/ShapeDef.h"

#include <QPainterPathStroker>
#include <algorithm>
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

} // namespace movie
