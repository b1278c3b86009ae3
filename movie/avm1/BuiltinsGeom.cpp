// flash.geom: Point, Rectangle, Matrix, ColorTransform and Transform.
// Points, rectangles and matrices keep their numbers as plain properties
// that take any value; their methods read them as numbers. A colour
// transform keeps its numbers natively behind properties of its prototype.

#include "movie/DisplayList.h"
#include "movie/Limits.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/Geom.h"
#include "movie/avm1/NumberText.h"
#include "movie/avm1/Operators.h"
#include "movie/draw/Bounds.h"

#include <cmath>

namespace movie::avm1 {

namespace {

Value construct(Runtime& rt, const char* name, std::initializer_list<Value> args)
{
    Object* f = geomClass(rt, name);
    return f ? rt.construct(Value(f), std::span<const Value>(args.begin(), args.size())) : Value();
}

Value prop(Runtime& rt, Object* o, const char* name) { return rt.get(o, QString::fromLatin1(name)); }

void setProp(Runtime& rt, Object* o, const char* name, const Value& v) { rt.set(o, QString::fromLatin1(name), v); }

double num(Runtime& rt, const Value& v) { return rt.toNumber(v); }

// A comparison that NaN makes undefined, and a chain of them joined as
// `&&` joins them: the first one that is not true is the result.
Value compare(double a, double b, bool (*op)(double, double))
{
    if (std::isnan(a) || std::isnan(b))
        return {};
    return Value(op(a, b));
}
bool ge(double a, double b) { return a >= b; }
bool lt(double a, double b) { return a < b; }
bool le(double a, double b) { return a <= b; }
Value allOf(std::initializer_list<Value> terms)
{
    Value last(true);
    for (const Value& t : terms) {
        last = t;
        if (!t.isBoolean() || !t.boolean())
            return t;
    }
    return last;
}

// --- Point

Value pointFunction(Runtime& rt, NativeCall& c)
{
    if (!c.self)
        return {};
    const bool given = c.count() > 0;
    setProp(rt, c.self, "x", given ? c.arg(0) : Value(0));
    setProp(rt, c.self, "y", given ? c.arg(1) : Value(0));
    return {};
}

double px(Runtime& rt, const Value& p) { return num(rt, rt.get(p, QStringLiteral("x"))); }
double py(Runtime& rt, const Value& p) { return num(rt, rt.get(p, QStringLiteral("y"))); }

Value pointAdd(Runtime& rt, NativeCall& c)
{
    return newPoint(rt, Value(px(rt, c.thisValue) + px(rt, c.arg(0))), Value(py(rt, c.thisValue) + py(rt, c.arg(0))));
}

Value pointSubtract(Runtime& rt, NativeCall& c)
{
    return newPoint(rt, Value(px(rt, c.thisValue) - px(rt, c.arg(0))), Value(py(rt, c.thisValue) - py(rt, c.arg(0))));
}

Value pointClone(Runtime& rt, NativeCall& c) { return newPoint(rt, prop(rt, c.self, "x"), prop(rt, c.self, "y")); }

Value pointEquals(Runtime& rt, NativeCall& c)
{
    Object* other = c.arg(0).object();
    Object* proto =
        geomClass(rt, "Point") ? rt.get(geomClass(rt, "Point"), QStringLiteral("prototype")).object() : nullptr;
    if (!other || !c.self || !rt.isInstanceOf(other, proto))
        return Value(false);
    return Value(looseEquals(rt, prop(rt, c.self, "x"), prop(rt, other, "x"))
                 && looseEquals(rt, prop(rt, c.self, "y"), prop(rt, other, "y")));
}

Value pointLength(Runtime& rt, NativeCall& c) { return Value(std::hypot(px(rt, c.thisValue), py(rt, c.thisValue))); }

Value pointNormalize(Runtime& rt, NativeCall& c)
{
    const double x = px(rt, c.thisValue), y = py(rt, c.thisValue);
    const double length = std::hypot(x, y);
    if (length > 0 && c.self) {
        const double scale = num(rt, c.arg(0)) / length;
        setProp(rt, c.self, "x", Value(x * scale));
        setProp(rt, c.self, "y", Value(y * scale));
    }
    return {};
}

Value pointOffset(Runtime& rt, NativeCall& c)
{
    if (c.self) {
        setProp(rt, c.self, "x", Value(px(rt, c.thisValue) + num(rt, c.arg(0))));
        setProp(rt, c.self, "y", Value(py(rt, c.thisValue) + num(rt, c.arg(1))));
    }
    return {};
}

Value pointToString(Runtime& rt, NativeCall& c)
{
    return Value(
        QStringLiteral("(x=%1, y=%2)").arg(rt.toString(prop(rt, c.self, "x")), rt.toString(prop(rt, c.self, "y"))));
}

Value pointDistance(Runtime& rt, NativeCall& c)
{
    if (c.count() < 2)
        return {};
    return Value(std::hypot(px(rt, c.arg(0)) - px(rt, c.arg(1)), py(rt, c.arg(0)) - py(rt, c.arg(1))));
}

Value pointInterpolate(Runtime& rt, NativeCall& c)
{
    if (c.count() < 3)
        return newPoint(rt, Value(std::nan("")), Value(std::nan("")));
    const double f = num(rt, c.arg(2));
    const double x1 = px(rt, c.arg(0)), y1 = py(rt, c.arg(0)), x2 = px(rt, c.arg(1)), y2 = py(rt, c.arg(1));
    return newPoint(rt, Value(x2 + f * (x1 - x2)), Value(y2 + f * (y1 - y2)));
}

Value pointPolar(Runtime& rt, NativeCall& c)
{
    const double length = num(rt, c.arg(0)), angle = num(rt, c.arg(1));
    return newPoint(rt, Value(length * std::cos(angle)), Value(length * std::sin(angle)));
}

// --- Rectangle

Value rectangleFunction(Runtime& rt, NativeCall& c)
{
    if (!c.self)
        return {};
    const bool given = c.count() > 0;
    setProp(rt, c.self, "x", given ? c.arg(0) : Value(0));
    setProp(rt, c.self, "y", given ? c.arg(1) : Value(0));
    setProp(rt, c.self, "width", given ? c.arg(2) : Value(0));
    setProp(rt, c.self, "height", given ? c.arg(3) : Value(0));
    return {};
}

struct Box {
    double x, y, w, h;
};

Box boxOf(Runtime& rt, const Value& v)
{
    const QRectF r = rectangleOf(rt, v);
    return {r.x(), r.y(), r.width(), r.height()};
}

Value rectLeft(Runtime& rt, NativeCall& c) { return prop(rt, c.self, "x"); }
Value rectTop(Runtime& rt, NativeCall& c) { return prop(rt, c.self, "y"); }
Value rectRight(Runtime& rt, NativeCall& c)
{
    const Box b = boxOf(rt, c.thisValue);
    return Value(b.x + b.w);
}
Value rectBottom(Runtime& rt, NativeCall& c)
{
    const Box b = boxOf(rt, c.thisValue);
    return Value(b.y + b.h);
}
Value rectTopLeft(Runtime& rt, NativeCall& c) { return newPoint(rt, prop(rt, c.self, "x"), prop(rt, c.self, "y")); }
Value rectBottomRight(Runtime& rt, NativeCall& c)
{
    const Box b = boxOf(rt, c.thisValue);
    return newPoint(rt, Value(b.x + b.w), Value(b.y + b.h));
}
Value rectSize(Runtime& rt, NativeCall& c)
{
    return newPoint(rt, prop(rt, c.self, "width"), prop(rt, c.self, "height"));
}

// Moving an edge keeps the opposite one where it is.
Value rectSetLeft(Runtime& rt, NativeCall& c)
{
    const Box b = boxOf(rt, c.thisValue);
    setProp(rt, c.self, "width", Value(b.w + b.x - num(rt, c.arg(0))));
    setProp(rt, c.self, "x", c.arg(0));
    return {};
}
Value rectSetTop(Runtime& rt, NativeCall& c)
{
    const Box b = boxOf(rt, c.thisValue);
    setProp(rt, c.self, "height", Value(b.h + b.y - num(rt, c.arg(0))));
    setProp(rt, c.self, "y", c.arg(0));
    return {};
}
Value rectSetRight(Runtime& rt, NativeCall& c)
{
    setProp(rt, c.self, "width", Value(num(rt, c.arg(0)) - boxOf(rt, c.thisValue).x));
    return {};
}
Value rectSetBottom(Runtime& rt, NativeCall& c)
{
    setProp(rt, c.self, "height", Value(num(rt, c.arg(0)) - boxOf(rt, c.thisValue).y));
    return {};
}
Value rectSetTopLeft(Runtime& rt, NativeCall& c)
{
    const Box b = boxOf(rt, c.thisValue);
    const Value x = rt.get(c.arg(0), QStringLiteral("x")), y = rt.get(c.arg(0), QStringLiteral("y"));
    setProp(rt, c.self, "width", Value(b.w + b.x - num(rt, x)));
    setProp(rt, c.self, "height", Value(b.h + b.y - num(rt, y)));
    setProp(rt, c.self, "x", x);
    setProp(rt, c.self, "y", y);
    return {};
}
Value rectSetBottomRight(Runtime& rt, NativeCall& c)
{
    const Box b = boxOf(rt, c.thisValue);
    setProp(rt, c.self, "width", Value(px(rt, c.arg(0)) - b.x));
    setProp(rt, c.self, "height", Value(py(rt, c.arg(0)) - b.y));
    return {};
}
Value rectSetSize(Runtime& rt, NativeCall& c)
{
    setProp(rt, c.self, "width", rt.get(c.arg(0), QStringLiteral("x")));
    setProp(rt, c.self, "height", rt.get(c.arg(0), QStringLiteral("y")));
    return {};
}

Value rectClone(Runtime& rt, NativeCall& c)
{
    return newRectangle(rt, prop(rt, c.self, "x"), prop(rt, c.self, "y"), prop(rt, c.self, "width"),
                        prop(rt, c.self, "height"));
}

bool isRectangle(Runtime& rt, const Value& v)
{
    Object* rectangle = geomClass(rt, "Rectangle");
    return v.object() && rectangle
        && rt.isInstanceOf(v.object(), rt.get(rectangle, QStringLiteral("prototype")).object());
}

Value rectEquals(Runtime& rt, NativeCall& c)
{
    const Value other = c.arg(0);
    if (!c.self || !isRectangle(rt, other))
        return Value(false);
    for (const char* name : {"x", "y", "width", "height"})
        if (!looseEquals(rt, prop(rt, c.self, name), prop(rt, other.object(), name)))
            return Value(false);
    return Value(true);
}

bool empty(const Box& b) { return !(b.w > 0 && b.h > 0); }

Value rectIsEmpty(Runtime& rt, NativeCall& c) { return Value(empty(boxOf(rt, c.thisValue))); }

Value rectSetEmpty(Runtime& rt, NativeCall& c)
{
    for (const char* name : {"x", "y", "width", "height"})
        setProp(rt, c.self, name, Value(0));
    return {};
}

Value containsAt(const Box& b, double x, double y)
{
    return allOf({compare(x, b.x, ge), compare(x, b.x + b.w, lt), compare(y, b.y, ge), compare(y, b.y + b.h, lt)});
}

Value rectContains(Runtime& rt, NativeCall& c)
{
    return containsAt(boxOf(rt, c.thisValue), num(rt, c.arg(0)), num(rt, c.arg(1)));
}

Value rectContainsPoint(Runtime& rt, NativeCall& c)
{
    return containsAt(boxOf(rt, c.thisValue), px(rt, c.arg(0)), py(rt, c.arg(0)));
}

Value rectContainsRectangle(Runtime& rt, NativeCall& c)
{
    const Box b = boxOf(rt, c.thisValue), o = boxOf(rt, c.arg(0));
    return allOf({compare(o.x, b.x, ge), compare(o.y, b.y, ge), compare(o.x + o.w, b.x + b.w, le),
                  compare(o.y + o.h, b.y + b.h, le)});
}

void setBox(Runtime& rt, Object* o, const Box& b)
{
    setProp(rt, o, "x", Value(b.x));
    setProp(rt, o, "y", Value(b.y));
    setProp(rt, o, "width", Value(b.w));
    setProp(rt, o, "height", Value(b.h));
}

void inflate(Runtime& rt, NativeCall& c, double dx, double dy)
{
    Box b = boxOf(rt, c.thisValue);
    b.x -= dx;
    b.w += 2 * dx;
    b.y -= dy;
    b.h += 2 * dy;
    setBox(rt, c.self, b);
}

Value rectInflate(Runtime& rt, NativeCall& c)
{
    inflate(rt, c, num(rt, c.arg(0)), num(rt, c.arg(1)));
    return {};
}

Value rectInflatePoint(Runtime& rt, NativeCall& c)
{
    inflate(rt, c, px(rt, c.arg(0)), py(rt, c.arg(0)));
    return {};
}

void offset(Runtime& rt, NativeCall& c, double dx, double dy)
{
    const Box b = boxOf(rt, c.thisValue);
    setProp(rt, c.self, "x", Value(b.x + dx));
    setProp(rt, c.self, "y", Value(b.y + dy));
}

Value rectOffset(Runtime& rt, NativeCall& c)
{
    offset(rt, c, num(rt, c.arg(0)), num(rt, c.arg(1)));
    return {};
}

Value rectOffsetPoint(Runtime& rt, NativeCall& c)
{
    offset(rt, c, px(rt, c.arg(0)), py(rt, c.arg(0)));
    return {};
}

// Math.min and Math.max: NaN wins.
double least(double a, double b) { return std::isnan(a) || std::isnan(b) ? std::nan("") : std::min(a, b); }
double most(double a, double b) { return std::isnan(a) || std::isnan(b) ? std::nan("") : std::max(a, b); }

// Where this rectangle and the argument overlap; none when they do not
// (or a number is NaN).
std::optional<Box> overlap(Runtime& rt, NativeCall& c)
{
    const Box a = boxOf(rt, c.thisValue), b = boxOf(rt, c.arg(0));
    const double left = most(a.x, b.x), top = most(a.y, b.y);
    const double right = least(a.x + a.w, b.x + b.w), bottom = least(a.y + a.h, b.y + b.h);
    if (!(right > left && bottom > top))
        return std::nullopt;
    return Box{left, top, right - left, bottom - top};
}

Value rectIntersection(Runtime& rt, NativeCall& c)
{
    const auto o = overlap(rt, c);
    return o ? newRectangle(rt, Value(o->x), Value(o->y), Value(o->w), Value(o->h)) : newRectangle(rt, QRectF());
}

Value rectIntersects(Runtime& rt, NativeCall& c) { return Value(overlap(rt, c).has_value()); }

Value rectUnion(Runtime& rt, NativeCall& c)
{
    const Box a = boxOf(rt, c.thisValue), b = boxOf(rt, c.arg(0));
    const double left = least(a.x, b.x), top = least(a.y, b.y);
    const double right = most(a.x + a.w, b.x + b.w), bottom = most(a.y + a.h, b.y + b.h);
    return newRectangle(rt, Value(left), Value(top), Value(right - left), Value(bottom - top));
}

Value rectToString(Runtime& rt, NativeCall& c)
{
    return Value(QStringLiteral("(x=%1, y=%2, w=%3, h=%4)")
                     .arg(rt.toString(prop(rt, c.self, "x")), rt.toString(prop(rt, c.self, "y")),
                          rt.toString(prop(rt, c.self, "width")), rt.toString(prop(rt, c.self, "height"))));
}

// --- Matrix

const char* const kMatrixNames[] = {"a", "b", "c", "d", "tx", "ty"};

Value matrixFunction(Runtime& rt, NativeCall& c)
{
    if (!c.self)
        return {};
    if (c.count() == 0) {
        const double identity[] = {1, 0, 0, 1, 0, 0};
        for (int i = 0; i < 6; ++i)
            setProp(rt, c.self, kMatrixNames[i], Value(identity[i]));
        return {};
    }
    for (int i = 0; i < 6; ++i)
        setProp(rt, c.self, kMatrixNames[i], c.arg(i));
    return {};
}

struct Affine {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

Affine affineOf(Runtime& rt, const Value& v)
{
    Affine m;
    double* fields[] = {&m.a, &m.b, &m.c, &m.d, &m.tx, &m.ty};
    for (int i = 0; i < 6; ++i)
        *fields[i] = num(rt, rt.get(v, QString::fromLatin1(kMatrixNames[i])));
    return m;
}

void setAffine(Runtime& rt, Object* o, const Affine& m)
{
    const double values[] = {m.a, m.b, m.c, m.d, m.tx, m.ty};
    for (int i = 0; i < 6; ++i)
        setProp(rt, o, kMatrixNames[i], Value(values[i]));
}

// `m` followed by `n`.
Affine concatenated(const Affine& m, const Affine& n)
{
    return {m.a * n.a + m.b * n.c, m.a * n.b + m.b * n.d,          m.c * n.a + m.d * n.c,
            m.c * n.b + m.d * n.d, m.tx * n.a + m.ty * n.c + n.tx, m.tx * n.b + m.ty * n.d + n.ty};
}

Value matrixClone(Runtime& rt, NativeCall& c)
{
    Object* f = geomClass(rt, "Matrix");
    if (!f)
        return {};
    std::vector<Value> args;
    for (const char* name : kMatrixNames)
        args.push_back(prop(rt, c.self, name));
    return rt.construct(Value(f), args);
}

Value matrixIdentity(Runtime& rt, NativeCall& c)
{
    setAffine(rt, c.self, Affine{});
    return {};
}

Value matrixConcat(Runtime& rt, NativeCall& c)
{
    setAffine(rt, c.self, concatenated(affineOf(rt, c.thisValue), affineOf(rt, c.arg(0))));
    return {};
}

Value matrixInvert(Runtime& rt, NativeCall& c)
{
    const Affine m = affineOf(rt, c.thisValue);
    const double det = m.a * m.d - m.b * m.c;
    if (det == 0) {
        setAffine(rt, c.self, Affine{});
        return {};
    }
    Affine r{m.d / det, -m.b / det, -m.c / det, m.a / det, 0, 0};
    r.tx = -(r.a * m.tx + r.c * m.ty);
    r.ty = -(r.b * m.tx + r.d * m.ty);
    setAffine(rt, c.self, r);
    return {};
}

Value matrixRotate(Runtime& rt, NativeCall& c)
{
    const double q = num(rt, c.arg(0));
    const double cs = std::cos(q), sn = std::sin(q);
    setAffine(rt, c.self, concatenated(affineOf(rt, c.thisValue), Affine{cs, sn, -sn, cs, 0, 0}));
    return {};
}

Value matrixScale(Runtime& rt, NativeCall& c)
{
    const double sx = num(rt, c.arg(0)), sy = num(rt, c.arg(1));
    setAffine(rt, c.self, concatenated(affineOf(rt, c.thisValue), Affine{sx, 0, 0, sy, 0, 0}));
    return {};
}

Value matrixTranslate(Runtime& rt, NativeCall& c)
{
    Affine m = affineOf(rt, c.thisValue);
    m.tx += num(rt, c.arg(0));
    m.ty += num(rt, c.arg(1));
    setAffine(rt, c.self, m);
    return {};
}

// An optional number argument: undefined counts as `fallback`.
double optional(Runtime& rt, const Value& v, double fallback) { return v.isUndefined() ? fallback : num(rt, v); }

Value matrixCreateBox(Runtime& rt, NativeCall& c)
{
    const double sx = num(rt, c.arg(0)), sy = num(rt, c.arg(1)), q = num(rt, c.arg(2));
    const double cs = std::cos(q), sn = std::sin(q);
    setAffine(rt, c.self,
              Affine{sx * cs, sy * sn, -sx * sn, sy * cs, optional(rt, c.arg(3), 0), optional(rt, c.arg(4), 0)});
    return {};
}

// The box a gradient's square of 1638.4 pixels is fitted into.
Value matrixCreateGradientBox(Runtime& rt, NativeCall& c)
{
    const double w = num(rt, c.arg(0)), h = num(rt, c.arg(1)), q = optional(rt, c.arg(2), 0);
    const double sx = w / 1638.4, sy = h / 1638.4, cs = std::cos(q), sn = std::sin(q);
    setAffine(rt, c.self,
              Affine{sx * cs, sy * sn, -sx * sn, sy * cs, optional(rt, c.arg(3), 0) + w / 2,
                     optional(rt, c.arg(4), 0) + h / 2});
    return {};
}

Value matrixTransformPoint(Runtime& rt, NativeCall& c)
{
    const Affine m = affineOf(rt, c.thisValue);
    const double x = px(rt, c.arg(0)), y = py(rt, c.arg(0));
    return newPoint(rt, Value(m.a * x + m.c * y + m.tx), Value(m.b * x + m.d * y + m.ty));
}

Value matrixDeltaTransformPoint(Runtime& rt, NativeCall& c)
{
    const Affine m = affineOf(rt, c.thisValue);
    const double x = px(rt, c.arg(0)), y = py(rt, c.arg(0));
    return newPoint(rt, Value(m.a * x + m.c * y), Value(m.b * x + m.d * y));
}

Value matrixToString(Runtime& rt, NativeCall& c)
{
    QString text = QStringLiteral("(");
    for (int i = 0; i < 6; ++i)
        text += QStringLiteral("%1%2=%3").arg(i ? QStringLiteral(", ") : QString(), QLatin1String(kMatrixNames[i]),
                                              rt.toString(prop(rt, c.self, kMatrixNames[i])));
    return Value(text + u')');
}

// --- ColorTransform

ColorTransformState* colorState(NativeCall& c) { return stateOf<ColorTransformState>(c.self); }

Value colorTransformFunction(Runtime& rt, NativeCall& c)
{
    if (!c.self)
        return {};
    auto state = std::make_shared<ColorTransformState>();
    ColorTransform& t = state->value;
    double* fields[] = {&t.rm, &t.gm, &t.bm, &t.am, &t.ra, &t.ga, &t.ba, &t.aa};
    for (int i = 0; i < 8 && i < c.count(); ++i)
        *fields[i] = num(rt, c.arg(i));
    c.self->state = std::move(state);
    return {};
}

// One of the eight numbers, by its offset in the transform.
template <double ColorTransform::*Field>
Value colorGet(Runtime&, NativeCall& c)
{
    const ColorTransformState* s = colorState(c);
    return s ? Value(s->value.*Field) : Value();
}

template <double ColorTransform::*Field>
Value colorSet(Runtime& rt, NativeCall& c)
{
    if (ColorTransformState* s = colorState(c))
        s->value.*Field = num(rt, c.arg(0));
    return {};
}

Value colorRgb(Runtime&, NativeCall& c)
{
    const ColorTransformState* s = colorState(c);
    if (!s)
        return {};
    auto channel = [](double v) { return quint32(toInt32(v)) & 0xFF; };
    return Value(double(channel(s->value.ra) << 16 | channel(s->value.ga) << 8 | channel(s->value.ba)));
}

Value colorSetRgb(Runtime& rt, NativeCall& c)
{
    ColorTransformState* s = colorState(c);
    if (!s)
        return {};
    const quint32 rgb = quint32(rt.toInt32(c.arg(0)));
    ColorTransform& t = s->value;
    t.rm = t.gm = t.bm = 0;
    t.ra = (rgb >> 16) & 0xFF;
    t.ga = (rgb >> 8) & 0xFF;
    t.ba = rgb & 0xFF;
    return {};
}

// The second transform is applied first: its offsets go through this one's
// multipliers.
Value colorConcat(Runtime&, NativeCall& c)
{
    ColorTransformState* s = colorState(c);
    const auto second = colorTransformOf(c.arg(0));
    if (s && second)
        s->value = s->value.after(*second);
    return {};
}

Value colorToString(Runtime& rt, NativeCall& c)
{
    const ColorTransformState* s = colorState(c);
    if (!s)
        return {};
    const ColorTransform& t = s->value;
    auto n = [&](double v) { return rt.toString(Value(v)); };
    return Value(QStringLiteral("(redMultiplier=%1, greenMultiplier=%2, blueMultiplier=%3, alphaMultiplier=%4, "
                                "redOffset=%5, greenOffset=%6, blueOffset=%7, alphaOffset=%8)")
                     .arg(n(t.rm), n(t.gm), n(t.bm), n(t.am), n(t.ra), n(t.ga), n(t.ba), n(t.aa)));
}

// --- Transform: a view of a clip's placement.

struct TransformState : NativeState {
    std::weak_ptr<SpriteInstance> clip;
};

std::shared_ptr<SpriteInstance> transformClip(NativeCall& c)
{
    const TransformState* s = stateOf<TransformState>(c.self);
    return s ? s->clip.lock() : nullptr;
}

Value transformFunction(Runtime& rt, NativeCall& c)
{
    if (!c.self)
        return {};
    auto state = std::make_shared<TransformState>();
    if (auto clip = rt.clipOf(c.arg(0)))
        state->clip = clip;
    c.self->state = std::move(state);
    return {};
}

DisplayObject* placementOf(Runtime& rt, NativeCall& c)
{
    auto clip = transformClip(c);
    return clip ? rt.host().placement(*clip) : nullptr;
}

Value transformMatrix(Runtime& rt, NativeCall& c)
{
    const DisplayObject* placed = placementOf(rt, c);
    return placed ? newMatrix(rt, placed->matrix) : Value();
}

Value transformSetMatrix(Runtime& rt, NativeCall& c)
{
    auto clip = transformClip(c);
    DisplayObject* placed = clip ? rt.host().placement(*clip) : nullptr;
    if (!placed || !c.arg(0).object())
        return {};
    const auto m = drawable(matrixOf(rt, c.arg(0).object()));
    if (!m)
        return {};
    placed->matrix = *m;
    clip->transformCached = false;
    clip->transformedByScript = true;
    rt.host().displayChanged();
    return {};
}

// The clip's placement and those of the clips it stands in, to the stage.
Matrix concatenated(Runtime& rt, SpriteInstance& clip)
{
    QTransform t;
    SpriteInstance* at = &clip;
    for (int guard = 0; at && guard <= limits::kMaxNesting + 1; ++guard) {
        if (const DisplayObject* placed = rt.host().placement(*at))
            t = t * placed->matrix.toTransform();
        auto parent = at->parent.lock();
        at = parent.get();
    }
    return {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
}

Value transformConcatenatedMatrix(Runtime& rt, NativeCall& c)
{
    auto clip = transformClip(c);
    return clip ? newMatrix(rt, concatenated(rt, *clip)) : Value();
}

Value transformColorTransform(Runtime& rt, NativeCall& c)
{
    const DisplayObject* placed = placementOf(rt, c);
    return placed ? newColorTransform(rt, placed->colorTransform) : Value();
}

Value transformConcatenatedColorTransform(Runtime& rt, NativeCall& c)
{
    auto clip = transformClip(c);
    if (!clip)
        return {};
    ColorTransform all;
    SpriteInstance* at = clip.get();
    for (int guard = 0; at && guard <= limits::kMaxNesting + 1; ++guard) {
        if (const DisplayObject* placed = rt.host().placement(*at))
            all = all.after(placed->colorTransform);
        auto parent = at->parent.lock();
        at = parent.get();
    }
    return newColorTransform(rt, all);
}

Value transformSetColorTransform(Runtime& rt, NativeCall& c)
{
    DisplayObject* placed = placementOf(rt, c);
    const auto value = colorTransformOf(c.arg(0));
    if (placed && value) {
        placed->colorTransform = drawable(*value);
        rt.host().displayChanged();
    }
    return {};
}

Value transformPixelBounds(Runtime& rt, NativeCall& c)
{
    auto clip = transformClip(c);
    if (!clip)
        return {};
    const Matrix m = concatenated(rt, *clip);
    const QTransform toStage(m.a, m.b, m.c, m.d, m.tx, m.ty);
    const QRectF bounds = toStage.mapRect(spriteBounds(*clip, rt.host().placement(*clip)));
    return newRectangle(rt, QRectF(bounds.x() / 20, bounds.y() / 20, bounds.width() / 20, bounds.height() / 20));
}

Object* makeClass(Runtime& rt, Object* package, const char* name, NativeFunction constructor, Object* proto)
{
    Object* f = rt.newClass(constructor, proto);
    rt.define(package, QString::fromLatin1(name), Value(f), DontEnum);
    return f;
}

} // namespace

Object* geomClass(Runtime& rt, const char* name)
{
    return rt.get(flashPackage(rt, rt.global(), "geom"), QString::fromLatin1(name)).object();
}

Value newPoint(Runtime& rt, const Value& x, const Value& y) { return construct(rt, "Point", {x, y}); }

Value newRectangle(Runtime& rt, const Value& x, const Value& y, const Value& width, const Value& height)
{
    return construct(rt, "Rectangle", {x, y, width, height});
}

Value newRectangle(Runtime& rt, const QRectF& r)
{
    return newRectangle(rt, Value(r.x()), Value(r.y()), Value(r.width()), Value(r.height()));
}

Value newMatrix(Runtime& rt, const Matrix& twips)
{
    return construct(
        rt, "Matrix",
        {Value(twips.a), Value(twips.b), Value(twips.c), Value(twips.d), Value(twips.tx / 20), Value(twips.ty / 20)});
}

Value newColorTransform(Runtime& rt, const ColorTransform& value)
{
    Value made = construct(rt, "ColorTransform", {});
    if (auto* s = stateOf<ColorTransformState>(made.object()))
        s->value = value;
    return made;
}

double numberProperty(Runtime& rt, Object* o, const char* name) { return rt.toNumber(prop(rt, o, name)); }

QRectF rectangleOf(Runtime& rt, const Value& v)
{
    auto n = [&](const char* name) { return num(rt, rt.get(v, QString::fromLatin1(name))); };
    return {n("x"), n("y"), n("width"), n("height")};
}

Matrix matrixOf(Runtime& rt, Object* o)
{
    if (!o)
        return {};
    const Affine m = affineOf(rt, Value(o));
    return {m.a, m.b, m.c, m.d, m.tx * 20, m.ty * 20};
}

std::optional<ColorTransform> colorTransformOf(const Value& v)
{
    if (const ColorTransformState* s = stateOf<ColorTransformState>(v.object()))
        return s->value;
    return std::nullopt;
}

ColorTransform drawable(ColorTransform cx)
{
    auto fit = [](double& v, double limit) { v = std::isnan(v) ? 0 : std::clamp(v, -limit, limit); };
    for (double* m : {&cx.rm, &cx.gm, &cx.bm, &cx.am})
        fit(*m, 128);
    for (double* a : {&cx.ra, &cx.ga, &cx.ba, &cx.aa})
        fit(*a, 65535);
    return cx;
}

std::optional<Matrix> drawable(const Matrix& m)
{
    for (const double v : {m.a, m.b, m.c, m.d, m.tx, m.ty})
        if (!std::isfinite(v))
            return std::nullopt;
    return m;
}

void installGeomBuiltins(Runtime& rt, Object* global)
{
    Object* geom = flashPackage(rt, global, "geom");

    Object* pointProto = rt.newObject();
    Object* point = makeClass(rt, geom, "Point", pointFunction, pointProto);
    defineMethods(rt, pointProto,
                  {{"add", pointAdd},
                   {"subtract", pointSubtract},
                   {"clone", pointClone},
                   {"equals", pointEquals},
                   {"normalize", pointNormalize},
                   {"offset", pointOffset},
                   {"toString", pointToString}});
    defineAccessors(rt, pointProto, {{"length", pointLength}});
    defineMethods(rt, point, {{"distance", pointDistance}, {"interpolate", pointInterpolate}, {"polar", pointPolar}});

    Object* rectProto = rt.newObject();
    makeClass(rt, geom, "Rectangle", rectangleFunction, rectProto);
    defineMethods(rt, rectProto,
                  {{"clone", rectClone},
                   {"contains", rectContains},
                   {"containsPoint", rectContainsPoint},
                   {"containsRectangle", rectContainsRectangle},
                   {"equals", rectEquals},
                   {"inflate", rectInflate},
                   {"inflatePoint", rectInflatePoint},
                   {"intersection", rectIntersection},
                   {"intersects", rectIntersects},
                   {"isEmpty", rectIsEmpty},
                   {"offset", rectOffset},
                   {"offsetPoint", rectOffsetPoint},
                   {"setEmpty", rectSetEmpty},
                   {"toString", rectToString},
                   {"union", rectUnion}});
    defineAccessors(rt, rectProto,
                    {{"left", rectLeft, rectSetLeft},
                     {"top", rectTop, rectSetTop},
                     {"right", rectRight, rectSetRight},
                     {"bottom", rectBottom, rectSetBottom},
                     {"topLeft", rectTopLeft, rectSetTopLeft},
                     {"bottomRight", rectBottomRight, rectSetBottomRight},
                     {"size", rectSize, rectSetSize}});

    Object* matrixProto = rt.newObject();
    makeClass(rt, geom, "Matrix", matrixFunction, matrixProto);
    defineMethods(rt, matrixProto,
                  {{"clone", matrixClone},
                   {"concat", matrixConcat},
                   {"createBox", matrixCreateBox},
                   {"createGradientBox", matrixCreateGradientBox},
                   {"deltaTransformPoint", matrixDeltaTransformPoint},
                   {"identity", matrixIdentity},
                   {"invert", matrixInvert},
                   {"rotate", matrixRotate},
                   {"scale", matrixScale},
                   {"toString", matrixToString},
                   {"transformPoint", matrixTransformPoint},
                   {"translate", matrixTranslate}});

    // Its numbers are properties of the prototype that for..in visits.
    Object* colorProto = rt.newObject();
    makeClass(rt, geom, "ColorTransform", colorTransformFunction, colorProto);
    defineAccessors(rt, colorProto,
                    {{"alphaMultiplier", colorGet<&ColorTransform::am>, colorSet<&ColorTransform::am>},
                     {"redMultiplier", colorGet<&ColorTransform::rm>, colorSet<&ColorTransform::rm>},
                     {"greenMultiplier", colorGet<&ColorTransform::gm>, colorSet<&ColorTransform::gm>},
                     {"blueMultiplier", colorGet<&ColorTransform::bm>, colorSet<&ColorTransform::bm>},
                     {"alphaOffset", colorGet<&ColorTransform::aa>, colorSet<&ColorTransform::aa>},
                     {"redOffset", colorGet<&ColorTransform::ra>, colorSet<&ColorTransform::ra>},
                     {"greenOffset", colorGet<&ColorTransform::ga>, colorSet<&ColorTransform::ga>},
                     {"blueOffset", colorGet<&ColorTransform::ba>, colorSet<&ColorTransform::ba>},
                     {"rgb", colorRgb, colorSetRgb}});
    defineMethods(rt, colorProto, {{"concat", colorConcat}, {"toString", colorToString}});
    for (const char* name : {"alphaMultiplier", "redMultiplier", "greenMultiplier", "blueMultiplier", "alphaOffset",
                             "redOffset", "greenOffset", "blueOffset", "rgb", "concat", "toString"})
        colorProto->properties.find(rt.key(QString::fromLatin1(name)))->attributes &= quint8(~DontEnum);

    Object* transformProto = rt.newObject();
    makeClass(rt, geom, "Transform", transformFunction, transformProto);
    defineAccessors(rt, transformProto,
                    {{"matrix", transformMatrix, transformSetMatrix},
                     {"concatenatedMatrix", transformConcatenatedMatrix},
                     {"colorTransform", transformColorTransform, transformSetColorTransform},
                     {"concatenatedColorTransform", transformConcatenatedColorTransform},
                     {"pixelBounds", transformPixelBounds}});
}

} // namespace movie::avm1
