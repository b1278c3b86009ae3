// String: the methods work on the text of `this`; String objects box it.

#include "movie/Limits.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/NumberText.h"

#include <cmath>

namespace movie::avm1 {

namespace {

QString text(Runtime& rt, NativeCall& c) { return rt.toString(c.thisValue); }

qsizetype clampedIndex(qint32 i, qsizetype length) { return i < 0 ? 0 : std::min<qsizetype>(i, length); }

// A negative index counts from the end.
qsizetype wrappingIndex(qint64 i, qsizetype length)
{
    return i < 0 ? std::max<qsizetype>(0, length + qsizetype(i)) : std::min<qsizetype>(qsizetype(i), length);
}

Value stringFunction(Runtime& rt, NativeCall& c)
{
    const QString value = c.count() == 0 ? QString() : rt.toString(c.arg(0));
    if (!c.constructing)
        return Value(value);
    c.self->kind = Object::Kind::String;
    c.self->primitive = Value(value);
    rt.define(c.self, QStringLiteral("length"), Value(int(value.size())), DontEnum | DontDelete);
    return Value(c.self);
}

Value stringValueOf(Runtime&, NativeCall& c)
{
    if (c.self && c.self->kind == Object::Kind::String)
        return c.self->primitive;
    return {};
}

Value stringCharAt(Runtime& rt, NativeCall& c)
{
    const QString s = text(rt, c);
    const qint32 i = rt.toInt32(c.arg(0));
    return Value(i >= 0 && i < s.size() ? QString(s[i]) : QString());
}

Value stringCharCodeAt(Runtime& rt, NativeCall& c)
{
    const QString s = text(rt, c);
    const qint32 i = rt.toInt32(c.arg(0));
    if (i >= 0 && i < s.size())
        return Value(int(s[i].unicode()));
    return Value(i >= 0 && rt.version() == 5 ? 0.0 : std::nan(""));
}

Value stringConcat(Runtime& rt, NativeCall& c)
{
    QString s = text(rt, c);
    for (const Value& v : c.args)
        s += rt.toString(v);
    return Value(rt.checkedString(s));
}

Value stringFromCharCode(Runtime& rt, NativeCall& c)
{
    QString out;
    for (const Value& v : c.args) {
        const auto code = char16_t(toUint32(rt.toNumber(v)) & 0xFFFF);
        if (code == 0)
            break;
        out += QChar(code);
    }
    return Value(out);
}

Value stringIndexOf(Runtime& rt, NativeCall& c)
{
    const QString s = text(rt, c);
    if (c.count() == 0)
        return {};
    const QString pattern = rt.toString(c.arg(0));
    const qint32 start = c.arg(1).isUndefined() ? 0 : std::max(0, rt.toInt32(c.arg(1)));
    if (start > s.size())
        return Value(-1);
    return Value(int(s.indexOf(pattern, start)));
}

Value stringLastIndexOf(Runtime& rt, NativeCall& c)
{
    const QString s = text(rt, c);
    if (c.count() == 0)
        return {};
    const QString pattern = rt.toString(c.arg(0));
    qsizetype end = s.size();
    if (!c.arg(1).isUndefined()) {
        const qint32 from = rt.toInt32(c.arg(1));
        if (from < 0)
            return Value(-1);
        end = std::min<qsizetype>(s.size(), qsizetype(from) + pattern.size());
    }
    return Value(int(s.left(end).lastIndexOf(pattern)));
}

Value stringSlice(Runtime& rt, NativeCall& c)
{
    if (c.count() == 0)
        return {};
    const QString s = text(rt, c);
    const qsizetype start = wrappingIndex(rt.toInt32(c.arg(0)), s.size());
    const qsizetype end = c.arg(1).isUndefined() ? s.size() : wrappingIndex(rt.toInt32(c.arg(1)), s.size());
    return Value(start < end ? s.mid(start, end - start) : QString());
}

Value stringSubstr(Runtime& rt, NativeCall& c)
{
    if (c.count() == 0)
        return {};
    const QString s = text(rt, c);
    const qsizetype start = wrappingIndex(rt.toInt32(c.arg(0)), s.size());
    const qint64 length = c.arg(1).isUndefined() ? s.size() : rt.toInt32(c.arg(1));
    const qsizetype end = wrappingIndex(qint64(start) + length, s.size());
    return Value(start < end ? s.mid(start, end - start) : QString());
}

Value stringSubstring(Runtime& rt, NativeCall& c)
{
    if (c.count() == 0)
        return {};
    const QString s = text(rt, c);
    qsizetype start = clampedIndex(rt.toInt32(c.arg(0)), s.size());
    qsizetype end = c.arg(1).isUndefined() ? s.size() : clampedIndex(rt.toInt32(c.arg(1)), s.size());
    if (end < start)
        std::swap(start, end);
    return Value(s.mid(start, end - start));
}

Value stringSplit(Runtime& rt, NativeCall& c)
{
    const QString s = text(rt, c);
    const qint64 limit = c.arg(1).isUndefined() ? limits::kMaxArrayLength : std::max(0, rt.toInt32(c.arg(1)));
    const bool five = rt.version() == 5;
    std::vector<Value> parts;
    QString delimiter;
    bool split = true;
    if (c.arg(0).isUndefined()) {
        split = five;
        delimiter = QStringLiteral(",");
    } else {
        delimiter = rt.toString(c.arg(0));
        split = !(five && delimiter.isEmpty());
    }
    if (!split) {
        parts.emplace_back(s);
    } else if (delimiter.isEmpty()) {
        for (qsizetype i = 0; i < s.size() && qint64(parts.size()) < limit; ++i)
            parts.emplace_back(QString(s[i]));
    } else {
        for (const QString& part : s.split(delimiter)) {
            if (qint64(parts.size()) >= limit)
                break;
            parts.emplace_back(part);
        }
    }
    rt.spend(qint64(parts.size()));
    return Value(rt.newArray(parts));
}

// Character by character: a letter never becomes two.
Value stringToUpperCase(Runtime& rt, NativeCall& c)
{
    QString s = text(rt, c);
    for (QChar& ch : s)
        ch = ch.toUpper();
    return Value(s);
}

Value stringToLowerCase(Runtime& rt, NativeCall& c)
{
    QString s = text(rt, c);
    for (QChar& ch : s)
        ch = ch.toLower();
    return Value(s);
}

} // namespace

void installStringBuiltins(Runtime& rt, Object* global)
{
    Object* proto = rt.newObject();
    rt.protos.string = proto;
    Object* string = rt.newClass(stringFunction, proto, stringFunction);
    defineMethods(rt, proto,
                  {{"valueOf", stringValueOf},
                   {"toString", stringValueOf},
                   {"toUpperCase", stringToUpperCase},
                   {"toLowerCase", stringToLowerCase},
                   {"charAt", stringCharAt},
                   {"charCodeAt", stringCharCodeAt},
                   {"concat", stringConcat},
                   {"indexOf", stringIndexOf},
                   {"lastIndexOf", stringLastIndexOf},
                   {"slice", stringSlice},
                   {"substring", stringSubstring},
                   {"split", stringSplit},
                   {"substr", stringSubstr}});
    defineMethods(rt, string, {{"fromCharCode", stringFromCharCode}});
    rt.define(global, QStringLiteral("String"), Value(string), DontEnum);
}

} // namespace movie::avm1
