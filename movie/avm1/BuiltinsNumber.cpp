// Number, Boolean, Math and Date.

#include "movie/avm1/Builtins.h"
#include "movie/avm1/NumberText.h"

#include <QDateTime>
#include <cmath>
#include <limits>
#include <numbers>

namespace movie::avm1 {

namespace {

Value numberFunction(Runtime& rt, NativeCall& c)
{
    const double value = c.count() == 0 ? 0 : rt.toNumber(c.arg(0));
    if (!c.constructing)
        return Value(value);
    c.self->kind = Object::Kind::Number;
    c.self->primitive = Value(value);
    return Value(c.self);
}

Value numberValueOf(Runtime&, NativeCall& c)
{
    return c.self && c.self->kind == Object::Kind::Number ? c.self->primitive : Value();
}

Value numberToString(Runtime& rt, NativeCall& c)
{
    if (!c.self || c.self->kind != Object::Kind::Number)
        return {};
    int radix = 10;
    if (c.count() > 0) {
        const double r = rt.toNumber(c.arg(0));
        radix = std::isnan(r) ? 10 : int(std::clamp(r, -1.0, 37.0));
        if (radix < 2 || radix > 36)
            radix = 10;
    }
    return Value(numberToRadix(c.self->primitive.number(), radix));
}

Value booleanFunction(Runtime& rt, NativeCall& c)
{
    const bool value = c.count() > 0 && rt.toBoolean(c.arg(0));
    if (!c.constructing)
        return c.count() == 0 ? Value() : Value(value);
    c.self->kind = Object::Kind::Boolean;
    c.self->primitive = Value(value);
    return Value(c.self);
}

Value booleanValueOf(Runtime&, NativeCall& c)
{
    return c.self && c.self->kind == Object::Kind::Boolean ? c.self->primitive : Value();
}

Value booleanToString(Runtime&, NativeCall& c)
{
    if (!c.self || c.self->kind != Object::Kind::Boolean)
        return {};
    return Value(c.self->primitive.boolean() ? QStringLiteral("true") : QStringLiteral("false"));
}

// Date: a time in milliseconds since 1970 (UTC); titles rarely need more.
Value dateFunction(Runtime& rt, NativeCall& c)
{
    auto time = double(QDateTime::currentMSecsSinceEpoch());
    if (c.count() == 1) {
        time = rt.toNumber(c.arg(0));
    } else if (c.count() > 1) {
        const QDate day(rt.toInt32(c.arg(0)), rt.toInt32(c.arg(1)) + 1, c.count() > 2 ? rt.toInt32(c.arg(2)) : 1);
        const QTime clock(c.count() > 3 ? rt.toInt32(c.arg(3)) : 0, c.count() > 4 ? rt.toInt32(c.arg(4)) : 0,
                          c.count() > 5 ? rt.toInt32(c.arg(5)) : 0);
        time = double(QDateTime(day, clock, Qt::UTC).toMSecsSinceEpoch());
    }
    if (!c.constructing)
        return Value(QDateTime::fromMSecsSinceEpoch(qint64(time), Qt::UTC).toString(Qt::TextDate));
    c.self->kind = Object::Kind::Date;
    c.self->primitive = Value(time);
    return Value(c.self);
}

Value dateValueOf(Runtime&, NativeCall& c)
{
    return c.self && c.self->kind == Object::Kind::Date ? c.self->primitive : Value();
}

Value dateToString(Runtime&, NativeCall& c)
{
    if (!c.self || c.self->kind != Object::Kind::Date)
        return {};
    const double time = c.self->primitive.number();
    if (!std::isfinite(time))
        return Value(QStringLiteral("Invalid Date"));
    return Value(QDateTime::fromMSecsSinceEpoch(qint64(time), Qt::UTC).toString(Qt::TextDate));
}

enum MathOp { Abs, Min, Max, Sin, Cos, Atan2, Tan, Exp, Log, Sqrt, Round, Random, Floor, Ceil, Atan, Asin, Acos, Pow };

template <MathOp op>
Value math(Runtime& rt, NativeCall& c)
{
    // Both operands are read, whatever the function takes.
    const double x = rt.toNumber(c.arg(0));
    const double y = rt.toNumber(c.arg(1));
    const qsizetype n = c.count();
    if (rt.version() <= 6) {
        bool valid = true;
        if constexpr (op == Random) {
            valid = true;
        } else if constexpr (op == Min || op == Max) {
            valid = n != 1;
        } else if constexpr (op == Pow || op == Atan2) {
            valid = n >= 2 || (op == Pow && n == 1 && x == 1);
        } else {
            valid = n > 0;
        }
        if (!valid)
            return Value(std::nan(""));
    }
    constexpr double inf = std::numeric_limits<double>::infinity();
    switch (op) {
    case Abs:
        return Value(std::fabs(x));
    case Min:
    case Max:
        if (n == 0)
            return Value(op == Min ? inf : -inf);
        if (std::isnan(x) || std::isnan(y))
            return Value(std::nan(""));
        return Value(op == Min ? std::min(x, y) : std::max(x, y));
    case Sin:
        return Value(std::sin(x));
    case Cos:
        return Value(std::cos(x));
    case Atan2:
        return Value(std::atan2(x, y));
    case Tan:
        return Value(std::tan(x));
    case Exp:
        return Value(std::exp(x));
    case Log:
        return Value(std::log(x));
    case Sqrt:
        return Value(std::sqrt(x));
    case Round:
        return Value(std::floor(x + 0.5));
    case Random:
        return Value(double(rt.nextRandom()) / 2147483648.0);
    case Floor:
        return Value(std::floor(x));
    case Ceil:
        return Value(std::ceil(x));
    case Atan:
        return Value(std::atan(x));
    case Asin:
        return Value(std::asin(x));
    case Acos:
        return Value(std::acos(x));
    case Pow:
        return Value(std::pow(x, y));
    }
    return Value(std::nan(""));
}

} // namespace

void installNumberBuiltins(Runtime& rt, Object* global)
{
    Object* numberProto = rt.newObject();
    rt.protos.number = numberProto;
    Object* number = rt.newClass(numberFunction, numberProto, numberFunction);
    defineMethods(rt, numberProto, {{"valueOf", numberValueOf}, {"toString", numberToString}});
    defineConstant(rt, number, "MAX_VALUE", Value(std::numeric_limits<double>::max()));
    defineConstant(rt, number, "MIN_VALUE", Value(std::numeric_limits<double>::denorm_min()));
    defineConstant(rt, number, "NaN", Value(std::nan("")));
    defineConstant(rt, number, "NEGATIVE_INFINITY", Value(-std::numeric_limits<double>::infinity()));
    defineConstant(rt, number, "POSITIVE_INFINITY", Value(std::numeric_limits<double>::infinity()));
    rt.define(global, QStringLiteral("Number"), Value(number), DontEnum);

    Object* booleanProto = rt.newObject();
    rt.protos.boolean = booleanProto;
    Object* boolean = rt.newClass(booleanFunction, booleanProto, booleanFunction);
    defineMethods(rt, booleanProto, {{"valueOf", booleanValueOf}, {"toString", booleanToString}});
    rt.define(global, QStringLiteral("Boolean"), Value(boolean), DontEnum);

    Object* m = rt.newObject();
    defineConstant(rt, m, "E", Value(std::numbers::e));
    defineConstant(rt, m, "LN10", Value(std::numbers::ln10));
    defineConstant(rt, m, "LN2", Value(std::numbers::ln2));
    defineConstant(rt, m, "LOG10E", Value(std::numbers::log10e));
    defineConstant(rt, m, "LOG2E", Value(std::numbers::log2e));
    defineConstant(rt, m, "PI", Value(std::numbers::pi));
    defineConstant(rt, m, "SQRT1_2", Value(1 / std::numbers::sqrt2));
    defineConstant(rt, m, "SQRT2", Value(std::numbers::sqrt2));
    defineMethods(rt, m,
                  {{"abs", math<Abs>},
                   {"min", math<Min>},
                   {"max", math<Max>},
                   {"sin", math<Sin>},
                   {"cos", math<Cos>},
                   {"atan2", math<Atan2>},
                   {"tan", math<Tan>},
                   {"exp", math<Exp>},
                   {"log", math<Log>},
                   {"sqrt", math<Sqrt>},
                   {"round", math<Round>},
                   {"random", math<Random>},
                   {"floor", math<Floor>},
                   {"ceil", math<Ceil>},
                   {"atan", math<Atan>},
                   {"asin", math<Asin>},
                   {"acos", math<Acos>},
                   {"pow", math<Pow>}});
    rt.define(global, QStringLiteral("Math"), Value(m), DontEnum);

    Object* dateProto = rt.newObject();
    Object* date = rt.newClass(dateFunction, dateProto, dateFunction);
    defineMethods(rt, dateProto, {{"valueOf", dateValueOf}, {"getTime", dateValueOf}, {"toString", dateToString}});
    rt.define(global, QStringLiteral("Date"), Value(date), DontEnum);
}

} // namespace movie::avm1
