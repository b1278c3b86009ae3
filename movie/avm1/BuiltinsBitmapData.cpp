// flash.display.BitmapData: pictures scripts make and change, shown in
// clips by attachBitmap. Each method answers as the player does: a
// number, -1 when the picture is disposed or the arguments too few, and
// -2, -3, -4 for the first, second and third object argument it cannot
// use. The pixels of every live picture count against the movie's picture
// limit.

#include "movie/DisplayList.h"
#include "movie/Limits.h"
#include "movie/avm1/BitmapDataObjects.h"
#include "movie/avm1/BitmapOps.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/FilterObjects.h"
#include "movie/avm1/Geom.h"
#include "movie/avm1/NumberText.h"

#include <QPainter>
#include <cmath>

namespace movie::avm1 {

namespace {

// Files before version 10 allow 2880 pixels a side; later ones 8191 a side
// and 16777215 in all.
constexpr int kMaxSideBefore10 = 2880;
constexpr int kMaxSide = 8191;
constexpr qint64 kMaxPixels = 16777215;

// The pixels the pictures of one movie hold; kept by the BitmapData class.
struct PictureBudget : NativeState {
    std::shared_ptr<qint64> used = std::make_shared<qint64>(0);
};

std::shared_ptr<qint64> budgetOf(Runtime& rt)
{
    Object* cls = rt.get(flashPackage(rt, rt.global(), "display"), QStringLiteral("BitmapData")).object();
    const PictureBudget* budget = stateOf<PictureBudget>(cls);
    return budget ? budget->used : std::make_shared<qint64>(0);
}

// New pixels of that size, filled, or null when the movie's pictures would
// exceed the limit.
std::shared_ptr<BitmapPixels> newPixels(const std::shared_ptr<qint64>& used, QSize size, bool transparent, quint32 fill)
{
    const qint64 pixels = qint64(size.width()) * size.height();
    if (*used + pixels > limits::kMaxBitmapPixelsTotal)
        return nullptr;
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return nullptr;
    image.fill(pixels::stored(fill, transparent));
    *used += pixels;
    std::weak_ptr<qint64> account = used;
    return std::make_shared<BitmapPixels>(std::move(image), transparent, [account](qint64 freed) {
        if (auto u = account.lock())
            *u -= freed;
    });
}

Object* bitmapClass(Runtime& rt)
{
    return rt.get(flashPackage(rt, rt.global(), "display"), QStringLiteral("BitmapData")).object();
}

// A new BitmapData object around `pixels` (undefined for none).
Value wrap(Runtime& rt, std::shared_ptr<BitmapPixels> pixels)
{
    Object* cls = bitmapClass(rt);
    if (!pixels || !cls)
        return {};
    Object* o = rt.newObject(rt.get(cls, QStringLiteral("prototype")).object());
    auto state = std::make_shared<BitmapDataState>();
    state->pixels = std::move(pixels);
    o->state = std::move(state);
    return Value(o);
}

// --- Arguments

int integer(Runtime& rt, const Value& v) { return rt.toInt32(v); }
// A coordinate or size: held where sums of them stay within int.
int coordinate(Runtime& rt, const Value& v) { return std::clamp(rt.toInt32(v), -(1 << 24), 1 << 24); }
quint32 color(Runtime& rt, const Value& v) { return quint32(rt.toInt32(v)); }

// A rectangle: any object with x, y, width and height.
std::optional<QRect> rectArg(Runtime& rt, const Value& v)
{
    Object* o = v.object();
    if (!o)
        return std::nullopt;
    int n[4];
    const char* names[] = {"x", "y", "width", "height"};
    for (int i = 0; i < 4; ++i) {
        const Value p = rt.get(o, QString::fromLatin1(names[i]));
        if (p.isUndefined())
            return std::nullopt;
        n[i] = coordinate(rt, p);
    }
    return QRect(n[0], n[1], std::max(0, n[2]), std::max(0, n[3]));
}

// A point: any object with x and y.
std::optional<QPoint> pointArg(Runtime& rt, const Value& v)
{
    Object* o = v.object();
    if (!o)
        return std::nullopt;
    const Value x = rt.get(o, QStringLiteral("x")), y = rt.get(o, QStringLiteral("y"));
    if (x.isUndefined() || y.isUndefined())
        return std::nullopt;
    return QPoint(coordinate(rt, x), coordinate(rt, y));
}

// Pixel work counts against the script's budget for the step, so that a
// script that fills huge pictures over and over is stopped like a loop.
void charge(Runtime& rt, const QRect& area)
{
    const QRect r = area.normalized();
    rt.spend(1 + qint64(r.width()) * r.height() / 64);
}
void charge(Runtime& rt, const QImage& image) { charge(rt, image.rect()); }

BitmapPixels* live(const std::shared_ptr<BitmapPixels>& p) { return p && !p->disposed() ? p.get() : nullptr; }

// The picture `this` is, unless it is disposed.
BitmapPixels* self(NativeCall& c)
{
    const BitmapDataState* s = stateOf<BitmapDataState>(c.self);
    return s ? live(s->pixels) : nullptr;
}

// A source picture argument: -2 when it is none, -3 when disposed.
int sourceArg(const Value& v, BitmapPixels*& out)
{
    const std::shared_ptr<BitmapPixels> p = bitmapPixelsOf(v);
    if (!p)
        return -2;
    if (p->disposed())
        return -3;
    out = p.get();
    return 0;
}

// What the copying methods begin with: this picture (`target`), then the
// source, rectangle and point of their first arguments (an unusable point
// counts as the origin). 0 when they can run, else their answer.
struct CopyArgs {
    BitmapPixels* target = nullptr;
    BitmapPixels* source = nullptr;
    QImage sourceImage; // a copy: the source may be the target itself
    QRect from;
    QPoint to;
};
int copyArgs(Runtime& rt, NativeCall& c, int minArgs, CopyArgs& out)
{
    out.target = self(c);
    if (!out.target || c.count() < minArgs)
        return -1;
    if (const int code = sourceArg(c.arg(0), out.source))
        return code;
    const auto rect = rectArg(rt, c.arg(1));
    if (!rect)
        return -4;
    out.from = *rect;
    out.to = pointArg(rt, c.arg(2)).value_or(QPoint());
    out.sourceImage = out.source->image();
    charge(rt, out.from & out.sourceImage.rect());
    return 0;
}

// A copying method: `Body` runs once its first arguments are read.
template <Value (*Body)(Runtime&, NativeCall&, CopyArgs&), int MinArgs>
Value copying(Runtime& rt, NativeCall& c)
{
    CopyArgs a;
    if (const int code = copyArgs(rt, c, MinArgs, a))
        return Value(code);
    return Body(rt, c, a);
}

// --- Construction and properties

Value bitmapConstructor(Runtime& rt, NativeCall& c)
{
    if (!c.self)
        return {};
    const int width = integer(rt, c.arg(0)), height = integer(rt, c.arg(1));
    const int maxSide = rt.version() >= 10 ? kMaxSide : kMaxSideBefore10;
    const bool fits = c.count() >= 2 && width > 0 && height > 0 && width <= maxSide && height <= maxSide
        && (rt.version() < 10 || qint64(width) * height <= kMaxPixels);
    const bool transparent = c.count() < 3 || rt.toBoolean(c.arg(2));
    const quint32 fill = c.count() < 4 ? 0xFFFFFFFFu : color(rt, c.arg(3));
    std::shared_ptr<BitmapPixels> pixels;
    if (fits) {
        charge(rt, QRect(0, 0, width, height));
        const PictureBudget* budget = stateOf<PictureBudget>(c.callee);
        pixels = newPixels(budget ? budget->used : budgetOf(rt), QSize(width, height), transparent, fill);
    }
    if (!pixels) {
        rt.refuseConstruction();
        return {};
    }
    auto state = std::make_shared<BitmapDataState>();
    state->pixels = std::move(pixels);
    c.self->state = std::move(state);
    return {};
}

Value bitmapWidth(Runtime&, NativeCall& c)
{
    const BitmapPixels* p = self(c);
    return p ? Value(p->width()) : Value(-1);
}

Value bitmapHeight(Runtime&, NativeCall& c)
{
    const BitmapPixels* p = self(c);
    return p ? Value(p->height()) : Value(-1);
}

Value bitmapTransparent(Runtime&, NativeCall& c)
{
    const BitmapPixels* p = self(c);
    return p ? Value(p->transparent()) : Value(-1);
}

Value bitmapRectangle(Runtime& rt, NativeCall& c)
{
    const BitmapPixels* p = self(c);
    return p ? newRectangle(rt, QRectF(0, 0, p->width(), p->height())) : Value(-1);
}

// --- Pixels

// getPixel and getPixel32: the colour alone, or with its alpha.
Value getPixel(Runtime& rt, NativeCall& c, quint32 mask)
{
    const BitmapPixels* p = self(c);
    if (!p || c.count() < 2)
        return Value(-1);
    const QPoint at(coordinate(rt, c.arg(0)), coordinate(rt, c.arg(1)));
    if (!p->image().rect().contains(at))
        return Value(0);
    return Value(double(qint32(pixels::read(p->image().pixel(at), p->transparent()) & mask)));
}

Value bitmapGetPixel(Runtime& rt, NativeCall& c) { return getPixel(rt, c, 0xFFFFFF); }
Value bitmapGetPixel32(Runtime& rt, NativeCall& c) { return getPixel(rt, c, 0xFFFFFFFFu); }

Value setPixel(Runtime& rt, NativeCall& c, bool withAlpha)
{
    BitmapPixels* p = self(c);
    if (!p || c.count() < 3)
        return Value(-1);
    const QPoint at(coordinate(rt, c.arg(0)), coordinate(rt, c.arg(1)));
    if (!p->image().rect().contains(at))
        return Value(0);
    QImage& image = p->edit();
    quint32 value = color(rt, c.arg(2));
    if (!withAlpha)
        value = (pixels::unpremultiplied(image.pixel(at)) & 0xFF000000u) | (value & 0xFFFFFF);
    reinterpret_cast<QRgb*>(image.scanLine(at.y()))[at.x()] = pixels::stored(value, p->transparent());
    return Value(0);
}

Value bitmapSetPixel(Runtime& rt, NativeCall& c) { return setPixel(rt, c, false); }
Value bitmapSetPixel32(Runtime& rt, NativeCall& c) { return setPixel(rt, c, true); }

Value bitmapFillRect(Runtime& rt, NativeCall& c)
{
    BitmapPixels* p = self(c);
    const auto rect = p && c.count() >= 2 ? rectArg(rt, c.arg(0)) : std::nullopt;
    if (rect) {
        charge(rt, *rect & p->image().rect());
        pixels::fill(p->edit(), *rect, color(rt, c.arg(1)), p->transparent());
    }
    return {};
}

Value bitmapFloodFill(Runtime& rt, NativeCall& c)
{
    BitmapPixels* p = self(c);
    if (!p || c.count() < 3)
        return Value(-1);
    const QPoint at(coordinate(rt, c.arg(0)), coordinate(rt, c.arg(1)));
    charge(rt, p->image());
    QImage& image = p->edit();
    return Value(pixels::floodFill(image, at, color(rt, c.arg(2)), p->transparent()) ? 1 : 0);
}

Value bitmapNoise(Runtime& rt, NativeCall& c)
{
    BitmapPixels* p = self(c);
    if (!p || c.count() < 1)
        return Value(-1);
    const int low = c.count() > 1 ? integer(rt, c.arg(1)) : 0;
    const int high = c.count() > 2 ? integer(rt, c.arg(2)) : 255;
    const quint32 channels = c.count() > 3 ? color(rt, c.arg(3)) : 7;
    const bool gray = c.count() > 4 && rt.toBoolean(c.arg(4));
    charge(rt, p->image());
    pixels::noise(p->edit(), integer(rt, c.arg(0)), low, high, channels, gray, p->transparent());
    return Value(0);
}

Value bitmapPerlinNoise(Runtime& rt, NativeCall& c)
{
    BitmapPixels* p = self(c);
    if (!p || c.count() < 6)
        return Value(-1);
    std::vector<QPointF> offsets;
    if (Object* list = c.arg(8).object())
        for (const Value& v : arrayElements(rt, list))
            offsets.emplace_back(rt.toNumber(rt.get(v, QStringLiteral("x"))),
                                 rt.toNumber(rt.get(v, QStringLiteral("y"))));
    const int octaves = std::clamp(integer(rt, c.arg(2)), 0, 16);
    const quint32 channels = c.count() > 6 ? color(rt, c.arg(6)) : 7;
    for (int i = 0; i < std::max(1, octaves); ++i)
        charge(rt, p->image());
    pixels::perlinNoise(p->edit(), rt.toNumber(c.arg(0)), rt.toNumber(c.arg(1)), octaves, integer(rt, c.arg(3)),
                        rt.toBoolean(c.arg(4)), rt.toBoolean(c.arg(5)), channels, rt.toBoolean(c.arg(7)), offsets,
                        p->transparent());
    return Value(0);
}

Value bitmapScroll(Runtime& rt, NativeCall& c)
{
    BitmapPixels* p = self(c);
    if (!p || c.count() < 2)
        return Value(-1);
    charge(rt, p->image());
    pixels::scroll(p->edit(), coordinate(rt, c.arg(0)), coordinate(rt, c.arg(1)));
    return Value(0);
}

Value bitmapColorTransform(Runtime& rt, NativeCall& c)
{
    BitmapPixels* p = self(c);
    if (!p || c.count() < 2)
        return Value(-1);
    const auto rect = rectArg(rt, c.arg(0));
    if (!rect)
        return Value(-2);
    const auto cx = colorTransformOf(c.arg(1));
    if (!cx)
        return Value(-3);
    charge(rt, *rect & p->image().rect());
    pixels::colorTransform(p->edit(), *rect, drawable(*cx), p->transparent());
    return Value(-1);
}

bool validChannel(quint32 channel)
{
    return channel == pixels::Red || channel == pixels::Green || channel == pixels::Blue || channel == pixels::Alpha;
}

Value bitmapCopyChannel(Runtime& rt, NativeCall& c, CopyArgs& a)
{
    BitmapPixels* p = a.target;
    const quint32 from = color(rt, c.arg(3)), to = color(rt, c.arg(4));
    if (validChannel(to)) {
        pixels::copyChannel(p->edit(), a.sourceImage, a.from, a.to, from, to, p->transparent());
    }
    return Value(-1);
}

Value bitmapCopyPixels(Runtime& rt, NativeCall& c, CopyArgs& a)
{
    BitmapPixels* p = a.target;
    QImage source = a.sourceImage;
    // An alpha picture's alpha, from its point on, scales the source's.
    if (const std::shared_ptr<BitmapPixels> alpha = bitmapPixelsOf(c.arg(3)); alpha && !alpha->disposed()) {
        const QPoint alphaAt = pointArg(rt, c.arg(4)).value_or(QPoint());
        source = source.copy(a.from);
        for (int y = 0; y < source.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(source.scanLine(y));
            for (int x = 0; x < source.width(); ++x) {
                const QPoint at = alphaAt + QPoint(x, y);
                const int factor = alpha->image().rect().contains(at) ? qAlpha(alpha->image().pixel(at)) : 0;
                const QRgb s = row[x];
                auto ch = [&](int shift) { return ((((s >> shift) & 0xFF) * quint32(factor) + 127) / 255) << shift; };
                row[x] = ch(24) | ch(16) | ch(8) | ch(0);
            }
        }
        a.from.moveTopLeft(QPoint());
    }
    const bool mergeAlpha = c.count() > 5 ? rt.toBoolean(c.arg(5)) : false;
    pixels::copyPixels(p->edit(), source, a.from, a.to, mergeAlpha, p->transparent());
    return Value(-1);
}

Value bitmapMerge(Runtime& rt, NativeCall& c, CopyArgs& a)
{
    BitmapPixels* p = a.target;
    const std::array<int, 4> multipliers{integer(rt, c.arg(3)), integer(rt, c.arg(4)), integer(rt, c.arg(5)),
                                         integer(rt, c.arg(6))};
    pixels::merge(p->edit(), a.sourceImage, a.from, a.to, multipliers, p->transparent());
    return Value(-1);
}

Value bitmapPaletteMap(Runtime& rt, NativeCall& c, CopyArgs& a)
{
    BitmapPixels* p = a.target;
    std::array<std::vector<quint32>, 4> tables;
    for (size_t i = 0; i < 4; ++i)
        if (Object* list = c.arg(qsizetype(i) + 3).object()) {
            for (const Value& v : arrayElements(rt, list))
                tables[i].push_back(color(rt, v));
            tables[i].resize(256, 0);
        }
    pixels::paletteMap(p->edit(), a.sourceImage, a.from, a.to, tables, p->transparent());
    return Value(-1);
}

Value bitmapThreshold(Runtime& rt, NativeCall& c, CopyArgs& a)
{
    BitmapPixels* p = a.target;
    const QString test = rt.toString(c.arg(3));
    const quint32 value = color(rt, c.arg(4));
    const quint32 fill = c.count() > 5 ? color(rt, c.arg(5)) : 0;
    const quint32 mask = c.count() > 6 ? color(rt, c.arg(6)) : 0xFFFFFFFFu;
    const bool copySource = c.count() > 7 && rt.toBoolean(c.arg(7));
    return Value(pixels::threshold(p->edit(), a.sourceImage, a.from, a.to, test, value, fill, mask, copySource));
}

Value bitmapPixelDissolve(Runtime& rt, NativeCall& c, CopyArgs& a)
{
    BitmapPixels* p = a.target;
    const int seed = integer(rt, c.arg(3));
    const int count = std::max(0, integer(rt, c.arg(4)));
    charge(rt, QRect(0, 0, std::min(count, a.from.width() * a.from.height()), 1));
    const quint32 fill = color(rt, c.arg(5));
    const bool same = a.source == p;
    return Value(
        pixels::pixelDissolve(p->edit(), a.sourceImage, a.from, a.to, seed, count, fill, same, p->transparent()));
}

Value bitmapGetColorBoundsRect(Runtime& rt, NativeCall& c)
{
    const BitmapPixels* p = self(c);
    if (!p || c.count() < 2)
        return Value(-1);
    const bool find = c.count() < 3 || rt.toBoolean(c.arg(2));
    charge(rt, p->image());
    const QRect r = pixels::colorBounds(p->image(), color(rt, c.arg(0)), color(rt, c.arg(1)), find, p->transparent());
    return newRectangle(rt, QRectF(r.x(), r.y(), r.width(), r.height()));
}

// A point's alpha test against a point, a rectangle or another picture:
// pixels with more alpha than the threshold hit.
Value bitmapHitTest(Runtime& rt, NativeCall& c)
{
    const BitmapPixels* p = self(c);
    if (!p || c.count() < 3)
        return Value(-1);
    const auto first = pointArg(rt, c.arg(0));
    if (!first)
        return Value(-2);
    const int threshold = std::clamp(integer(rt, c.arg(1)), 0, 255);
    const QImage& image = p->image();
    const Value second = c.arg(2);
    if (const std::shared_ptr<BitmapPixels> other = bitmapPixelsOf(second)) {
        if (other->disposed())
            return Value(-3);
        const auto at = c.count() > 3 ? pointArg(rt, c.arg(3)) : std::optional<QPoint>(QPoint());
        if (!at)
            return Value(-4);
        const int otherThreshold = c.count() > 4 ? std::clamp(integer(rt, c.arg(4)), 0, 255) : 1;
        charge(rt, image);
        // Where the pictures overlap, in this one's pixels.
        const QRect overlap = QRect(*at - *first, other->image().size()) & image.rect();
        for (int y = overlap.top(); y <= overlap.bottom(); ++y)
            for (int x = overlap.left(); x <= overlap.right(); ++x)
                if (qAlpha(image.pixel(x, y)) > threshold
                    && qAlpha(other->image().pixel(QPoint(x, y) + *first - *at)) > otherThreshold)
                    return Value(true);
        return Value(false);
    }
    if (const auto rect = rectArg(rt, second))
        return Value(pixels::anyAlpha(image, rect->translated(-*first), threshold));
    const auto point = pointArg(rt, second);
    if (!point)
        return Value(-3);
    const QPoint local = *point - *first;
    return Value(image.rect().contains(local) && qAlpha(image.pixel(local)) > threshold);
}

Value bitmapClone(Runtime& rt, NativeCall& c)
{
    const BitmapPixels* p = self(c);
    if (!p)
        return Value(-1);
    charge(rt, p->image());
    auto copy = newPixels(budgetOf(rt), p->image().size(), p->transparent(), 0);
    if (!copy)
        return {};
    copy->edit() = p->image().copy();
    return wrap(rt, std::move(copy));
}

Value bitmapDispose(Runtime&, NativeCall& c)
{
    BitmapPixels* p = self(c);
    if (!p)
        return Value(-1);
    p->dispose();
    return {};
}

Value bitmapCompare(Runtime& rt, NativeCall& c)
{
    const BitmapPixels* p = self(c);
    const std::shared_ptr<BitmapPixels> other = bitmapPixelsOf(c.arg(0));
    if (!p || !other || other->disposed())
        return Value(-1);
    if (other->width() != p->width())
        return Value(-3);
    if (other->height() != p->height())
        return Value(-4);
    // The difference of each pixel; 0 when all are equal.
    charge(rt, p->image());
    auto diff = newPixels(budgetOf(rt), p->image().size(), true, 0);
    if (!diff)
        return {};
    QImage& out = diff->edit();
    bool differs = false;
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            const quint32 a = pixels::unpremultiplied(p->image().pixel(x, y));
            const quint32 b = pixels::unpremultiplied(other->image().pixel(x, y));
            if (a == b)
                continue;
            differs = true;
            quint32 d = 0;
            if ((a & 0xFFFFFF) != (b & 0xFFFFFF)) {
                for (const int shift : {16, 8, 0})
                    d |= ((((a >> shift) & 0xFF) - ((b >> shift) & 0xFF)) & 0xFF) << shift;
                d |= 0xFF000000u;
            } else {
                d = 0xFFFFFF | (((a >> 24) - (b >> 24)) & 0xFF) << 24;
            }
            reinterpret_cast<QRgb*>(out.scanLine(y))[x] = pixels::premultiplied(d);
        }
    }
    return differs ? wrap(rt, std::move(diff)) : Value(0);
}

// --- Pictures drawn, filtered and loaded

Value bitmapDraw(Runtime& rt, NativeCall& c)
{
    BitmapPixels* p = self(c);
    if (!p || c.count() < 1)
        return Value(-1);
    QTransform t;
    if (Object* m = c.arg(1).object()) {
        const auto placed = drawable(matrixOf(rt, m));
        if (!placed)
            return Value(-1);
        t = QTransform(placed->a, placed->b, placed->c, placed->d, placed->tx / 20, placed->ty / 20);
    }
    const ColorTransform cx = drawable(colorTransformOf(c.arg(2)).value_or(ColorTransform{}));
    const auto clipRect = rectArg(rt, c.arg(4));
    const bool smooth = rt.toBoolean(c.arg(5));
    charge(rt, p->image());
    QImage& image = p->edit();
    QImage layer(image.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    if (const std::shared_ptr<BitmapPixels> source = bitmapPixelsOf(c.arg(0))) {
        if (source->disposed())
            return Value(-1);
        QPainter painter(&layer);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
        painter.setTransform(t);
        QImage picture = source->image();
        if (!cx.isIdentity())
            pixels::colorTransform(picture, picture.rect(), cx, true);
        painter.drawImage(QPointF(0, 0), picture);
    } else if (auto clip = rt.clipOf(c.arg(0))) {
        // A clip's twips to this picture's pixels.
        rt.host().drawClip(*clip, layer, QTransform::fromScale(0.05, 0.05) * t, cx, smooth);
    } else {
        return Value(-2);
    }
    QPainter painter(&image);
    if (clipRect)
        painter.setClipRect(*clipRect);
    painter.drawImage(0, 0, layer);
    painter.end();
    if (!p->transparent())
        pixels::colorTransform(image, image.rect(), ColorTransform{}, false);
    return Value(-1);
}

Value bitmapApplyFilter(Runtime& rt, NativeCall& c, CopyArgs& a)
{
    BitmapPixels* p = a.target;
    const auto filter = filterOf(c.arg(3));
    if (!filter)
        return Value(-5);
    // The source area, filtered with room around it, laid at the point.
    const QImage& source = a.sourceImage;
    const QRect from = a.from & source.rect();
    const QMargins reach = rt.host().filterReach({*filter});
    QImage work(from.size().grownBy(reach), QImage::Format_ARGB32_Premultiplied);
    work.fill(Qt::transparent);
    {
        QPainter painter(&work);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(reach.left(), reach.top()), source, from);
    }
    rt.host().filterPicture(work, {*filter});
    QImage& image = p->edit();
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(a.to - QPoint(reach.left(), reach.top()), work);
    painter.end();
    if (!p->transparent())
        pixels::colorTransform(image, image.rect(), ColorTransform{}, false);
    return Value(0);
}

Value bitmapGenerateFilterRect(Runtime& rt, NativeCall& c)
{
    const BitmapPixels* p = self(c);
    if (!p || c.count() < 2)
        return Value(-1);
    const auto rect = rectArg(rt, c.arg(0));
    const auto filter = filterOf(c.arg(1));
    if (!rect || !filter)
        return {};
    const QRect grown = rect->marginsAdded(rt.host().filterReach({*filter}));
    return newRectangle(rt, QRectF(grown.x(), grown.y(), grown.width(), grown.height()));
}

Value bitmapLoadBitmap(Runtime& rt, NativeCall& c)
{
    if (c.count() < 1)
        return {};
    const QImage picture = rt.host().exportedPicture(rt.toString(c.arg(0)));
    if (picture.isNull())
        return {};
    const PictureBudget* budget = stateOf<PictureBudget>(c.self);
    auto pixels = newPixels(budget ? budget->used : budgetOf(rt), picture.size(), picture.hasAlphaChannel(), 0);
    if (!pixels)
        return {};
    pixels->edit() = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return wrap(rt, std::move(pixels));
}

// MovieClip.attachBitmap(bitmap, depth, pixelSnapping, smoothing).
Value clipAttachBitmap(Runtime& rt, NativeCall& c)
{
    auto clip = rt.clipOf(c.self);
    const std::shared_ptr<BitmapPixels> pixels = bitmapPixelsOf(c.arg(0));
    if (!clip || !pixels || c.count() < 2)
        return {};
    const qint64 depth = qint64(rt.toInt32(c.arg(1))) + 16384;
    if (depth < 0 || depth > 2130706428)
        return {};
    rt.host().attachBitmap(*clip, pixels, int(depth), rt.toBoolean(c.arg(3)));
    return {};
}

} // namespace

void installBitmapDataBuiltins(Runtime& rt, Object* global)
{
    Object* proto = rt.newObject();
    Object* cls = rt.newClass(bitmapConstructor, proto);
    cls->state = std::make_shared<PictureBudget>();
    rt.define(flashPackage(rt, global, "display"), QStringLiteral("BitmapData"), Value(cls), DontEnum);
    // Its size and kind are properties of the prototype that for..in visits.
    defineAccessors(rt, proto,
                    {{"width", bitmapWidth},
                     {"height", bitmapHeight},
                     {"rectangle", bitmapRectangle},
                     {"transparent", bitmapTransparent}});
    for (const char* name : {"width", "height", "rectangle", "transparent"})
        proto->properties.find(rt.key(QString::fromLatin1(name)))->attributes &= quint8(~DontEnum);
    defineMethods(rt, proto,
                  {{"applyFilter", copying<bitmapApplyFilter, 4>},
                   {"clone", bitmapClone},
                   {"colorTransform", bitmapColorTransform},
                   {"compare", bitmapCompare},
                   {"copyChannel", copying<bitmapCopyChannel, 5>},
                   {"copyPixels", copying<bitmapCopyPixels, 3>},
                   {"dispose", bitmapDispose},
                   {"draw", bitmapDraw},
                   {"fillRect", bitmapFillRect},
                   {"floodFill", bitmapFloodFill},
                   {"generateFilterRect", bitmapGenerateFilterRect},
                   {"getColorBoundsRect", bitmapGetColorBoundsRect},
                   {"getPixel", bitmapGetPixel},
                   {"getPixel32", bitmapGetPixel32},
                   {"hitTest", bitmapHitTest},
                   {"merge", copying<bitmapMerge, 7>},
                   {"noise", bitmapNoise},
                   {"paletteMap", copying<bitmapPaletteMap, 3>},
                   {"perlinNoise", bitmapPerlinNoise},
                   {"pixelDissolve", copying<bitmapPixelDissolve, 3>},
                   {"scroll", bitmapScroll},
                   {"setPixel", bitmapSetPixel},
                   {"setPixel32", bitmapSetPixel32},
                   {"threshold", copying<bitmapThreshold, 5>}});
    defineMethods(rt, cls, {{"loadBitmap", bitmapLoadBitmap}});
    for (const auto& [name, value] :
         {std::pair{"RED_CHANNEL", 1}, {"GREEN_CHANNEL", 2}, {"BLUE_CHANNEL", 4}, {"ALPHA_CHANNEL", 8}})
        rt.define(cls, QString::fromLatin1(name), Value(value));
    defineMethods(rt, rt.protos.movieClip, {{"attachBitmap", clipAttachBitmap, 8}});
}

} // namespace movie::avm1
