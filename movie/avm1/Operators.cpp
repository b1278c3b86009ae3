#include "movie/avm1/Operators.h"

#include "movie/avm1/NumberText.h"
#include "movie/avm1/Runtime.h"

#include <cmath>

namespace movie::avm1 {

namespace {

bool isClip(const Value& v) { return v.object() && v.object()->kind == Object::Kind::Clip; }

bool equal(Runtime& rt, const Value& a, const Value& b, int depth)
{
    using T = Value::Type;
    if (a.isNullish() && b.isNullish())
        return true;
    if (a.type() == b.type()) {
        switch (a.type()) {
        case T::Boolean:
            return a.boolean() == b.boolean();
        case T::String:
            return a.string() == b.string();
        case T::Number:
            return a.number() == b.number() || (std::isnan(a.number()) && std::isnan(b.number()));
        case T::Object:
            if (isClip(a) && isClip(b))
                return rt.toString(a) == rt.toString(b);
            return a.object() == b.object();
        default:
            return false;
        }
    }
    if (depth > 4)
        return false;
    if (a.isBoolean())
        return equal(rt, Value(a.boolean() ? 1 : 0), b, depth + 1);
    if (b.isBoolean())
        return equal(rt, a, Value(b.boolean() ? 1 : 0), depth + 1);
    if (a.isNumber() && b.isString())
        return a.number() == stringToNumber(b.string(), rt.version());
    if (a.isString() && b.isNumber())
        return stringToNumber(a.string(), rt.version()) == b.number();
    if (a.isObject() || b.isObject()) {
        const Value& object = a.isObject() ? a : b;
        const Value& other = a.isObject() ? b : a;
        const Value primitive = rt.toPrimitive(object);
        return primitive.isPrimitive() && equal(rt, other, primitive, depth + 1);
    }
    return false;
}

} // namespace

bool looseEquals(Runtime& rt, const Value& a, const Value& b)
{
    // Version 5 asks both sides for valueOf first, the right one first.
    if (rt.version() <= 5) {
        const Value right = rt.toPrimitive(b);
        const Value left = rt.toPrimitive(a);
        return equal(rt, right, left, 0);
    }
    return equal(rt, b, a, 0);
}

bool strictEquals(Runtime& rt, const Value& a, const Value& b)
{
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case Value::Type::Undefined:
    case Value::Type::Null:
        return true;
    case Value::Type::Boolean:
        return a.boolean() == b.boolean();
    case Value::Type::Number:
        return a.number() == b.number() || (std::isnan(a.number()) && std::isnan(b.number()));
    case Value::Type::String:
        return a.string() == b.string();
    case Value::Type::Object:
        if (isClip(a) && isClip(b))
            return rt.toString(a) == rt.toString(b);
        return a.object() == b.object();
    }
    return false;
}

Value lessThan(Runtime& rt, const Value& a, const Value& b)
{
    // An object whose valueOf gives an object compares as false.
    const Value left = rt.toPrimitive(a);
    if (left.isObject() && !isClip(left))
        return Value(false);
    const Value right = rt.toPrimitive(b);
    if (right.isObject() && !isClip(right))
        return Value(false);
    if (left.isString() && right.isString())
        return Value(left.string() < right.string());
    const double x = rt.toNumber(left);
    const double y = rt.toNumber(right);
    if (std::isnan(x) || std::isnan(y))
        return {};
    return Value(x < y);
}

Value add(Runtime& rt, const Value& a, const Value& b)
{
    auto primitive = [&rt](const Value& v) {
        if (isClip(v)) {
            const Value p = rt.callMethod(v, QStringLiteral("valueOf"), {});
            return p.isUndefined() ? Value(rt.toString(v)) : v;
        }
        // From version 6 on a date joins as text.
        Object* o = v.object();
        const Value p = o && o->kind == Object::Kind::Date && rt.version() > 5
            ? rt.callMethod(v, QStringLiteral("toString"), {})
            : rt.toPrimitive(v);
        return p.isPrimitive() ? p : v;
    };
    const Value right = primitive(b);
    const Value left = primitive(a);
    if (left.isString() || right.isString())
        return Value(rt.checkedString(rt.toString(left) + rt.toString(right)));
    return Value(rt.toNumber(left) + rt.toNumber(right));
}

} // namespace movie::avm1
