// The clip methods of geometry: bounds, coordinates between a clip and its
// root, hit tests, masks set by scripts; and Button, the class of placed
// buttons.

#include "movie/DisplayList.h"
#include "movie/avm1/Builtins.h"
#include "movie/draw/Bounds.h"

#include <cmath>

namespace movie::avm1 {

namespace {

// The bounds of a clip that draws nothing, in twips, as the player gives them.
constexpr double kNoBounds = 0x7FFFFFF;

// A clip named by a value: the clip itself, or a path from the code running now.
std::shared_ptr<SpriteInstance> namedClip(Runtime& rt, const Value& v)
{
    if (auto clip = rt.clipOf(v))
        return clip;
    if (v.isNullish() || v.isObject())
        return nullptr;
    Activation* a = rt.current();
    return a ? rt.targetClip(*a, v) : nullptr;
}

// getBounds and getRect: the clip's bounds in another clip's coordinates
// (its own by default), in pixels.
Value clipBounds(Runtime& rt, NativeCall& c)
{
    auto clip = thisClip(rt, c);
    if (!clip)
        return {};
    auto space = clip;
    if (c.count() > 0) {
        space = namedClip(rt, c.arg(0));
        if (!space)
            return {};
    }
    QRectF b = spriteBounds(*clip, placementOf(*clip));
    double xMin = kNoBounds, xMax = kNoBounds, yMin = kNoBounds, yMax = kNoBounds;
    const bool own = space == clip;
    if (!b.isNull() || !own) {
        if (b.isNull())
            b = QRectF(QPointF(kNoBounds, kNoBounds), QPointF(kNoBounds, kNoBounds));
        if (!own) {
            // Between clips the player works in single precision.
            const QTransform to = transformToRoot(*clip) * transformToRoot(*space).inverted();
            b = to.mapRect(b);
            auto single = [](double v) { return double(float(v)); };
            b = QRectF(QPointF(single(b.left()), single(b.top())), QPointF(single(b.right()), single(b.bottom())));
        }
        xMin = b.left(), xMax = b.right(), yMin = b.top(), yMax = b.bottom();
    }
    Object* out = rt.newObject();
    rt.set(out, QStringLiteral("xMin"), Value(xMin / 20));
    rt.set(out, QStringLiteral("xMax"), Value(xMax / 20));
    rt.set(out, QStringLiteral("yMin"), Value(yMin / 20));
    rt.set(out, QStringLiteral("yMax"), Value(yMax / 20));
    return Value(out);
}

// localToGlobal and globalToLocal: the point object's x and y, from the
// clip's coordinates to its root's, or back.
Value convertPoint(Runtime& rt, NativeCall& c, bool toRoot)
{
    auto clip = thisClip(rt, c);
    Object* point = c.arg(0).object();
    if (!clip || !point)
        return {};
    const QString xName = QStringLiteral("x"), yName = QStringLiteral("y");
    const QPointF p(rt.toNumber(rt.get(point, xName)) * 20, rt.toNumber(rt.get(point, yName)) * 20);
    QTransform t = transformToRoot(*clip);
    if (!toRoot) {
        if (!t.isInvertible())
            return {};
        t = t.inverted();
    }
    const QPointF mapped = t.map(p);
    rt.set(point, xName, Value(mapped.x() / 20));
    rt.set(point, yName, Value(mapped.y() / 20));
    return {};
}

Value clipLocalToGlobal(Runtime& rt, NativeCall& c) { return convertPoint(rt, c, true); }

Value clipGlobalToLocal(Runtime& rt, NativeCall& c) { return convertPoint(rt, c, false); }

// A clip's bounds in its root's coordinates (twips); null when it draws nothing.
QRectF rootBounds(const SpriteInstance& clip)
{
    const QRectF b = spriteBounds(clip, placementOf(clip));
    return b.isNull() ? b : transformToRoot(clip).mapRect(b);
}

// hitTest(x, y[, shapeFlag]): whether the point of the root falls within
// the clip's bounds, or on what it draws; hitTest(target): whether the
// bounds of the two clips meet.
Value clipHitTest(Runtime& rt, NativeCall& c)
{
    auto clip = thisClip(rt, c);
    if (!clip || c.count() == 0)
        return {};
    if (c.count() == 1) {
        auto other = namedClip(rt, c.arg(0));
        if (!other)
            return Value(false);
        const QRectF a = rootBounds(*clip), b = rootBounds(*other);
        return Value(!a.isNull() && !b.isNull() && a.intersects(b));
    }
    const QPointF point(rt.toNumber(c.arg(0)) * 20, rt.toNumber(c.arg(1)) * 20);
    if (std::isnan(point.x()) || std::isnan(point.y()))
        return Value(false);
    if (rt.toBoolean(c.arg(2)))
        return Value(rt.host().hitTestShape(*clip, point));
    const QRectF b = rootBounds(*clip);
    return Value(!b.isNull() && b.contains(point));
}

// setMask(mask): what the mask clip draws cuts the clip's picture, and the
// mask is no longer drawn itself; null or undefined takes the mask away.
Value clipSetMask(Runtime& rt, NativeCall& c)
{
    auto clip = thisClip(rt, c);
    if (!clip || c.count() == 0)
        return {};
    std::shared_ptr<SpriteInstance> mask;
    if (!c.arg(0).isNullish()) {
        mask = namedClip(rt, c.arg(0));
        if (!mask)
            return Value(false);
    }
    if (auto old = clip->mask.lock())
        old->masking.reset();
    clip->mask.reset();
    if (mask) {
        if (auto other = mask->masking.lock())
            other->mask.reset();
        mask->masking = clip;
        clip->mask = mask;
    }
    rt.host().displayChanged();
    return Value(true);
}

Value buttonConstructor(Runtime&, NativeCall& c) { return c.constructing ? Value(c.self) : Value(); }

} // namespace

void installClipGeometryBuiltins(Runtime& rt, Object* global)
{
    Object* clipProto = rt.protos.movieClip;
    defineMethods(rt, clipProto,
                  {{"getBounds", clipBounds},
                   {"getRect", clipBounds, 8},
                   {"localToGlobal", clipLocalToGlobal},
                   {"globalToLocal", clipGlobalToLocal},
                   {"hitTest", clipHitTest},
                   {"setMask", clipSetMask, 6}});

    Object* buttonProto = rt.newObject();
    rt.protos.button = buttonProto;
    Object* button = rt.newClass(buttonConstructor, buttonProto);
    rt.define(buttonProto, QStringLiteral("getDepth"), rt.get(clipProto, QStringLiteral("getDepth")),
              DontEnum | DontDelete);
    rt.define(global, QStringLiteral("Button"), Value(button), DontEnum);
}

} // namespace movie::avm1
