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

// The colours of a gradient as the reference player makes them: a table of
// 256 entries, each taking its colour between the first stop at or past its
// ratio and the stop before that one, mixed without premultiplied alpha (in
// linear RGB where the file asks for it). Ratios that go back and stops at
// one ratio thus colour as they do there. Qt mixes stops premultiplied, so
// the table becomes a stop an entry.
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
    std::vector<int> ratios;
    for (const auto& stop : raw)
        ratios.push_back(static_cast<int>(std::lround(std::clamp(stop.first, 0.0, 1.0) * 255)));
    QGradientStops table;
    table.reserve(256);
    for (int i = 0; i < 256; ++i) {
        size_t k = 0;
        while (k < ratios.size() && ratios[k] < i)
            ++k;
        QColor c;
        if (k == 0)
            c = raw.front().second;
        else if (k == ratios.size())
            c = raw.back().second;
        else
            c = mix(raw[qsizetype(k) - 1].second, raw[qsizetype(k)].second,
                    double(i - ratios[k - 1]) / (ratios[k] - ratios[k - 1]));
        table.append({i / 255.0, c});
    }
    return table;
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
