// The drawing API of clips (moveTo, lineTo, beginFill ...) and the display
// settings scripts give a clip from version 8 on: blendMode,
// cacheAsBitmap, opaqueBackground, scrollRect and transform.

#include "movie/DisplayList.h"
#include "movie/Limits.h"
#include "movie/avm1/BitmapDataObjects.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/Geom.h"

#include <cmath>

namespace movie::avm1 {

namespace {

// The largest gradient a fill may have, as the player allows.
constexpr int kMaxGradientStops = 15;

// The clip's drawing, made on first use; null when `this` is no clip.
Drawing* drawingOf(Runtime& rt, NativeCall& c)
{
    auto clip = thisClip(rt, c);
    if (!clip)
        return nullptr;
    if (!clip->drawing)
        clip->drawing = std::make_shared<Drawing>();
    rt.host().displayChanged();
    return clip->drawing.get();
}

// A coordinate in pixels as twips: NaN as 0, held within the pen's reach.
int twips(Runtime& rt, const Value& v)
{
    const double t = std::round(rt.toNumber(v) * 20);
    if (std::isnan(t))
        return 0;
    return static_cast<int>(std::clamp<double>(t, -limits::kMaxCoordinate, limits::kMaxCoordinate));
}

QPoint pointArg(Runtime& rt, NativeCall& c, int first)
{
    return {twips(rt, c.arg(first)), twips(rt, c.arg(first + 1))};
}

// A colour argument with an alpha in percent (100 when not given).
QColor colorArg(Runtime& rt, const Value& rgb, const Value& alpha)
{
    const quint32 value = quint32(rt.toInt32(rgb)) & 0xFFFFFF;
    double percent = alpha.isUndefined() ? 100 : rt.toNumber(alpha);
    if (std::isnan(percent))
        percent = 0;
    percent = std::clamp(percent, 0.0, 100.0);
    QColor color = QColor::fromRgb(value);
    color.setAlpha(static_cast<int>(percent * 255 / 100));
    return color;
}

Value drawMoveTo(Runtime& rt, NativeCall& c)
{
    if (c.count() >= 2)
        if (Drawing* d = drawingOf(rt, c))
            d->moveTo(pointArg(rt, c, 0));
    return {};
}

Value drawLineTo(Runtime& rt, NativeCall& c)
{
    if (c.count() >= 2)
        if (Drawing* d = drawingOf(rt, c))
            d->lineTo(pointArg(rt, c, 0));
    return {};
}

Value drawCurveTo(Runtime& rt, NativeCall& c)
{
    if (c.count() >= 4)
        if (Drawing* d = drawingOf(rt, c))
            d->curveTo(pointArg(rt, c, 0), pointArg(rt, c, 2));
    return {};
}

Value drawBeginFill(Runtime& rt, NativeCall& c)
{
    Drawing* d = drawingOf(rt, c);
    if (!d)
        return {};
    if (c.arg(0).isNullish()) {
        d->endFill();
        return {};
    }
    FillStyle fill;
    fill.color = colorArg(rt, c.arg(0), c.arg(1));
    fill.prepare();
    d->beginFill(fill);
    return {};
}

Value drawEndFill(Runtime& rt, NativeCall& c)
{
    if (Drawing* d = drawingOf(rt, c))
        d->endFill();
    return {};
}

Value drawClear(Runtime& rt, NativeCall& c)
{
    if (Drawing* d = drawingOf(rt, c))
        d->clear();
    return {};
}

QString stringArg(Runtime& rt, const Value& v) { return v.isUndefined() ? QString() : rt.toString(v); }

Value drawLineStyle(Runtime& rt, NativeCall& c)
{
    Drawing* d = drawingOf(rt, c);
    if (!d)
        return {};
    const double thickness = rt.toNumber(c.arg(0));
    if (c.arg(0).isNullish() || std::isnan(thickness)) {
        d->lineStyle(std::nullopt);
        return {};
    }
    LineStyle line;
    line.width = std::clamp(thickness, 0.0, 255.0) * 20;
    line.fill.color = colorArg(rt, c.arg(1), c.arg(2));
    line.fill.prepare();
    if (rt.version() >= 8) {
        line.pixelHinting = rt.toBoolean(c.arg(3));
        const QString scale = stringArg(rt, c.arg(4));
        line.noHScale = scale == QLatin1String("none") || scale == QLatin1String("horizontal");
        line.noVScale = scale == QLatin1String("none") || scale == QLatin1String("vertical");
        const QString caps = stringArg(rt, c.arg(5));
        line.cap = caps == QLatin1String("none") ? Qt::FlatCap
            : caps == QLatin1String("square")    ? Qt::SquareCap
                                                 : Qt::RoundCap;
        const QString joints = stringArg(rt, c.arg(6));
        line.join = joints == QLatin1String("miter") ? Qt::MiterJoin
            : joints == QLatin1String("bevel")       ? Qt::BevelJoin
                                                     : Qt::RoundJoin;
        if (!c.arg(7).isUndefined()) {
            const double limit = rt.toNumber(c.arg(7));
            line.miterLimit = std::isnan(limit) ? 3 : std::clamp(limit, 1.0, 255.0);
        }
    }
    d->lineStyle(line);
    return {};
}

// The matrix of a gradient in any of the forms scripts give it: a box
// ({matrixType: "box", x, y, w, h, r}), a Matrix (a, b, c, d, tx, ty) or
// the nine numbers of a 3 x 3 matrix (a, b, d, e, g, h). Twips of the
// shape; the gradient's square is 32768 twips across.
QTransform gradientMatrix(Runtime& rt, Object* m)
{
    if (!m)
        return {};
    auto n = [&](const char* name) { return numberProperty(rt, m, name); };
    if (rt.toString(rt.get(m, QStringLiteral("matrixType"))) == QLatin1String("box")) {
        const double w = n("w"), h = n("h"), r = n("r");
        const double sx = w / 1638.4, sy = h / 1638.4, cs = std::cos(r), sn = std::sin(r);
        const Matrix box{sx * cs, sy * sn, -sx * sn, sy * cs, (n("x") + w / 2) * 20, (n("y") + h / 2) * 20};
        return drawable(box) ? box.toTransform() : QTransform();
    }
    QTransform t;
    if (!rt.get(m, QStringLiteral("tx")).isUndefined())
        t = matrixOf(rt, m).toTransform();
    else
        t = QTransform(n("a"), n("b"), n("d"), n("e"), n("g") * 20, n("h") * 20);
    // A matrix with numbers that are not finite draws the gradient unplaced.
    const auto finite = drawable(Matrix{t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()});
    return finite ? t : QTransform();
}

// A gradient from the arguments of beginGradientFill and
// lineGradientStyle, from `first` on: type, colours, alphas, ratios,
// matrix, spread, interpolation, focal point. None for arguments the
// player refuses.
std::optional<FillStyle> gradientArgs(Runtime& rt, NativeCall& c, int first)
{
    if (c.count() > first + 8)
        return std::nullopt;
    const QString type = rt.toString(c.arg(first));
    const bool linear = type == QLatin1String("linear");
    if (!linear && type != QLatin1String("radial"))
        return std::nullopt;
    Object* colors = c.arg(first + 1).object();
    Object* alphas = c.arg(first + 2).object();
    Object* ratios = c.arg(first + 3).object();
    Object* matrix = c.arg(first + 4).object();
    if (!colors || !alphas || !ratios || !matrix)
        return std::nullopt;
    const std::vector<Value> colorValues = arrayElements(rt, colors);
    const std::vector<Value> alphaValues = arrayElements(rt, alphas);
    const std::vector<Value> ratioValues = arrayElements(rt, ratios);
    const size_t count = colorValues.size();
    if (count == 0 || alphaValues.size() != count || ratioValues.size() != count)
        return std::nullopt;
    QGradientStops raw;
    for (size_t i = 0; i < count && i < kMaxGradientStops; ++i) {
        const qint32 ratio = rt.toInt32(ratioValues[i]);
        if (ratio < 0 || ratio > 255)
            return std::nullopt;
        raw.append({ratio / 255.0, colorArg(rt, colorValues[i], alphaValues[i])});
    }
    FillStyle fill;
    fill.matrix = gradientMatrix(rt, matrix);
    const QString spread = stringArg(rt, c.arg(first + 5));
    fill.spread = gradientSpread(spread == QLatin1String("reflect") ? 1 : spread == QLatin1String("repeat") ? 2 : 0);
    const bool linearRgb = stringArg(rt, c.arg(first + 6)) == QLatin1String("linearRGB");
    fill.stops = gradientStops(raw, linearRgb);
    fill.color = fill.stops.first().second;
    if (linear) {
        fill.kind = FillStyle::Kind::LinearGradient;
    } else if (!c.arg(first + 7).isUndefined()) {
        fill.kind = FillStyle::Kind::FocalGradient;
        // Kept as a shape tag keeps it: 8.8 fixed point.
        const double focal = rt.toNumber(c.arg(first + 7));
        fill.focal = std::isnan(focal) ? 0 : std::trunc(std::clamp(focal, -1.0, 1.0) * 256) / 256;
    } else {
        fill.kind = FillStyle::Kind::RadialGradient;
    }
    fill.prepare();
    return fill;
}

Value drawBeginGradientFill(Runtime& rt, NativeCall& c)
{
    Drawing* d = drawingOf(rt, c);
    if (!d)
        return {};
    // Without a type the fill ends; arguments the player cannot use
    // change nothing.
    if (c.arg(0).isUndefined())
        d->endFill();
    else if (const auto fill = gradientArgs(rt, c, 0))
        d->beginFill(*fill);
    return {};
}

Value drawLineGradientStyle(Runtime& rt, NativeCall& c)
{
    Drawing* d = drawingOf(rt, c);
    if (!d)
        return {};
    if (const auto fill = gradientArgs(rt, c, 0))
        d->lineFill(*fill);
    return {};
}

Value drawBeginBitmapFill(Runtime& rt, NativeCall& c)
{
    Drawing* d = drawingOf(rt, c);
    const std::shared_ptr<BitmapPixels> pixels = bitmapPixelsOf(c.arg(0));
    if (!d || !pixels || pixels->disposed())
        return {};
    FillStyle fill;
    fill.kind = FillStyle::Kind::Bitmap;
    fill.bitmap = pixels->image();
    const QTransform pixelsToTwips = QTransform::fromScale(20, 20);
    if (Object* m = c.arg(1).object()) {
        const auto placed = drawable(matrixOf(rt, m));
        if (!placed)
            return {};
        fill.matrix =
            QTransform(placed->a * 20, placed->b * 20, placed->c * 20, placed->d * 20, placed->tx, placed->ty);
    } else {
        fill.matrix = pixelsToTwips;
    }
    fill.repeating = c.arg(2).isUndefined() || rt.toBoolean(c.arg(2));
    fill.smooth = rt.toBoolean(c.arg(3));
    fill.color = QColor(Qt::transparent);
    fill.prepare();
    d->beginFill(fill);
    return {};
}

// --- Display settings

const char* const kBlendModes[] = {"normal", "layer",    "multiply", "screen", "lighten", "darken",  "difference",
                                   "add",    "subtract", "invert",   "alpha",  "erase",   "overlay", "hardlight"};

Value clipBlendMode(Runtime& rt, NativeCall& c)
{
    const DisplayObject* placed = thisPlacement(rt, c);
    if (!placed)
        return {};
    const int mode = placed->blendMode >= 1 && placed->blendMode <= 14 ? placed->blendMode : 1;
    return Value(QString::fromLatin1(kBlendModes[mode - 1]));
}

Value clipSetBlendMode(Runtime& rt, NativeCall& c)
{
    DisplayObject* placed = thisPlacement(rt, c);
    if (!placed)
        return {};
    const Value v = c.arg(0);
    int mode = 0;
    if (v.isNumber()) {
        const double n = v.number();
        mode = n >= 1 && n <= 14 ? int(n) : 0;
    } else {
        const QString name = rt.toString(v);
        for (int i = 0; i < 14; ++i)
            if (name == QLatin1String(kBlendModes[i]))
                mode = i + 1;
    }
    if (mode > 0) {
        placed->blendMode = quint8(mode);
        rt.host().displayChanged();
    }
    return {};
}

Value clipCacheAsBitmap(Runtime& rt, NativeCall& c)
{
    const DisplayObject* placed = thisPlacement(rt, c);
    return placed ? Value(placed->cacheAsBitmap) : Value();
}

Value clipSetCacheAsBitmap(Runtime& rt, NativeCall& c)
{
    if (DisplayObject* placed = thisPlacement(rt, c)) {
        placed->cacheAsBitmap = rt.toBoolean(c.arg(0));
        rt.host().displayChanged();
    }
    return {};
}

Value clipOpaqueBackground(Runtime& rt, NativeCall& c)
{
    const DisplayObject* placed = thisPlacement(rt, c);
    if (!placed || !placed->background.isValid())
        return {};
    return Value(double(placed->background.rgb() & 0xFFFFFF));
}

Value clipSetOpaqueBackground(Runtime& rt, NativeCall& c)
{
    DisplayObject* placed = thisPlacement(rt, c);
    if (!placed)
        return {};
    const Value v = c.arg(0);
    placed->background = v.isNullish() ? QColor() : QColor::fromRgb(quint32(rt.toInt32(v)) & 0xFFFFFF);
    rt.host().displayChanged();
    return {};
}

Value clipScrollRect(Runtime& rt, NativeCall& c)
{
    const DisplayObject* placed = thisPlacement(rt, c);
    return placed && placed->scrollRect ? newRectangle(rt, *placed->scrollRect) : Value();
}

Value clipSetScrollRect(Runtime& rt, NativeCall& c)
{
    DisplayObject* placed = thisPlacement(rt, c);
    if (!placed || !placed->sprite)
        return {};
    const Value v = c.arg(0);
    if (!v.object()) {
        placed->scrollRect.reset();
    } else {
        const QRectF r = rectangleOf(rt, v);
        const bool valid =
            std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
        placed->scrollRect = valid ? r : QRectF();
    }
    rt.host().displayChanged();
    return {};
}

Value clipTransform(Runtime& rt, NativeCall& c)
{
    Object* transform = geomClass(rt, "Transform");
    if (!transform || !thisClip(rt, c))
        return {};
    const Value self(c.self);
    return rt.construct(Value(transform), std::span<const Value>(&self, 1));
}

// A Transform given to a clip gives it its matrix and colour transform.
Value clipSetTransform(Runtime& rt, NativeCall& c)
{
    Object* from = c.arg(0).object();
    if (!from || !thisClip(rt, c))
        return {};
    const Value matrix = rt.get(from, QStringLiteral("matrix"));
    const Value colors = rt.get(from, QStringLiteral("colorTransform"));
    const Value target = clipTransform(rt, c);
    if (Object* mine = target.object()) {
        if (matrix.object())
            rt.set(mine, QStringLiteral("matrix"), matrix);
        if (colors.object())
            rt.set(mine, QStringLiteral("colorTransform"), colors);
    }
    return {};
}

} // namespace

void installDrawingBuiltins(Runtime& rt, Object*)
{
    Object* proto = rt.protos.movieClip;
    defineMethods(rt, proto,
                  {{"moveTo", drawMoveTo, 6},
                   {"lineTo", drawLineTo, 6},
                   {"curveTo", drawCurveTo, 6},
                   {"beginFill", drawBeginFill, 6},
                   {"beginGradientFill", drawBeginGradientFill, 6},
                   {"beginBitmapFill", drawBeginBitmapFill, 8},
                   {"lineStyle", drawLineStyle, 6},
                   {"lineGradientStyle", drawLineGradientStyle, 8},
                   {"endFill", drawEndFill, 6},
                   {"clear", drawClear, 6}});
    defineAccessors(rt, proto,
                    {{"blendMode", clipBlendMode, clipSetBlendMode, 8},
                     {"cacheAsBitmap", clipCacheAsBitmap, clipSetCacheAsBitmap, 8},
                     {"opaqueBackground", clipOpaqueBackground, clipSetOpaqueBackground, 8},
                     {"scrollRect", clipScrollRect, clipSetScrollRect, 8},
                     {"transform", clipTransform, clipSetTransform, 8}});
}

} // namespace movie::avm1
