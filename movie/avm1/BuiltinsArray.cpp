// Array: elements are properties "0", "1", ... with a length beside them.

#include "movie/Limits.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/NumberText.h"

#include <cmath>
#include <functional>

namespace movie::avm1 {

namespace {

enum SortOption { CaseInsensitive = 1, Descending = 2, UniqueSort = 4, ReturnIndexedArray = 8, Numeric = 16 };

QString indexName(qint64 i) { return QString::number(i); }

// An element as the array methods read it: the object's own stored
// property; neither prototypes nor getters are asked.
Value element(Runtime&, Object* a, qint64 i)
{
    const Property* p = a->properties.find(indexName(i));
    return p && !p->isVirtual() ? p->value : Value();
}

void setElement(Runtime& rt, Object* a, qint64 i, const Value& v) { rt.set(a, indexName(i), v); }

void deleteElement(Runtime& rt, Object* a, qint64 i) { rt.deleteProperty(a, indexName(i)); }

bool hasElement(Runtime& rt, Object* a, qint64 i) { return rt.hasProperty(a, indexName(i)); }

void setLength(Runtime& rt, Object* a, qint64 n) { rt.set(a, QStringLiteral("length"), Value(double(n))); }

// An index that counts from the end when negative, clamped to [0, length].
qint64 absoluteIndex(qint64 index, qint64 length)
{
    return index < 0 ? std::max<qint64>(index + length, 0) : std::min(index, length);
}

Object* self(Runtime& rt, NativeCall& c) { return c.self ? c.self : rt.newArray(); }

Value arrayFunction(Runtime& rt, NativeCall& c)
{
    Object* a = c.constructing ? c.self : rt.newArray();
    if (c.constructing) {
        a->kind = Object::Kind::Array;
        rt.define(a, QStringLiteral("length"), Value(0), DontEnum | DontDelete);
    }
    if (c.count() == 1 && c.arg(0).isNumber()) {
        setLength(rt, a, avm1::toInt32(c.arg(0).number()));
        return Value(a);
    }
    rt.spend(c.count());
    for (qsizetype i = 0; i < c.count(); ++i)
        setElement(rt, a, i, c.args[size_t(i)]);
    return Value(a);
}

Value arrayPush(Runtime& rt, NativeCall& c)
{
    Object* a = self(rt, c);
    const qint64 length = arrayLength(rt, a);
    rt.spend(c.count());
    for (qsizetype i = 0; i < c.count(); ++i)
        setElement(rt, a, length + i, c.args[size_t(i)]);
    setLength(rt, a, length + c.count());
    return Value(double(length + c.count()));
}

Value arrayPop(Runtime& rt, NativeCall& c)
{
    Object* a = self(rt, c);
    const qint64 length = arrayLength(rt, a);
    if (length == 0)
        return {};
    Value last = element(rt, a, length - 1);
    deleteElement(rt, a, length - 1);
    setLength(rt, a, length - 1);
    return last;
}

Value arrayShift(Runtime& rt, NativeCall& c)
{
    Object* a = self(rt, c);
    const qint64 length = arrayLength(rt, a);
    if (length == 0)
        return {};
    rt.spend(length);
    Value first = element(rt, a, 0);
    for (qint64 i = 1; i < length; ++i) {
        const Value v = element(rt, a, i);
        deleteElement(rt, a, i - 1);
        setElement(rt, a, i - 1, v);
    }
    setLength(rt, a, length - 1);
    return first;
}

Value arrayUnshift(Runtime& rt, NativeCall& c)
{
    Object* a = self(rt, c);
    const qint64 length = arrayLength(rt, a);
    const qint64 newLength = length + c.count();
    rt.spend(newLength);
    for (qint64 i = 0; i < length; ++i) {
        const Value v = element(rt, a, length - i - 1);
        deleteElement(rt, a, newLength - i - 1);
        setElement(rt, a, newLength - i - 1, v);
    }
    for (qsizetype i = 0; i < c.count(); ++i) {
        deleteElement(rt, a, i);
        setElement(rt, a, i, c.args[size_t(i)]);
    }
    setLength(rt, a, newLength);
    return Value(double(newLength));
}

Value arrayReverse(Runtime& rt, NativeCall& c)
{
    Object* a = self(rt, c);
    const qint64 length = arrayLength(rt, a);
    rt.spend(length);
    for (qint64 lower = 0; lower < length / 2; ++lower) {
        const qint64 upper = length - lower - 1;
        const Value lowerValue = element(rt, a, lower);
        const Value upperValue = element(rt, a, upper);
        deleteElement(rt, a, lower);
        deleteElement(rt, a, upper);
        setElement(rt, a, lower, upperValue);
        setElement(rt, a, upper, lowerValue);
    }
    return Value(a);
}

Value arrayJoin(Runtime& rt, NativeCall& c)
{
    Object* a = self(rt, c);
    const qint64 length = arrayLength(rt, a);
    const QString separator = c.arg(0).isUndefined() ? QStringLiteral(",") : rt.toString(c.arg(0));
    rt.spend(length);
    QString out;
    for (qint64 i = 0; i < length; ++i) {
        if (i > 0)
            out += separator;
        out += rt.toString(element(rt, a, i));
        if (out.size() > limits::kMaxStringLength)
            rt.abort();
    }
    return Value(out);
}

Value arrayToString(Runtime& rt, NativeCall& c)
{
    NativeCall plain = c;
    plain.args = {};
    return arrayJoin(rt, plain);
}

Value arraySlice(Runtime& rt, NativeCall& c)
{
    Object* a = self(rt, c);
    const qint64 length = arrayLength(rt, a);
    const qint64 start = absoluteIndex(rt.toInt32(c.arg(0)), length);
    const qint64 end = c.arg(1).isUndefined() ? length : absoluteIndex(rt.toInt32(c.arg(1)), length);
    std::vector<Value> items;
    rt.spend(std::max<qint64>(0, end - start));
    for (qint64 i = start; i < end; ++i)
        items.push_back(element(rt, a, i));
    return Value(rt.newArray(items));
}

Value arraySplice(Runtime& rt, NativeCall& c)
{
    Object* a = self(rt, c);
    if (c.arg(0).isUndefined())
        return {};
    const qint64 length = arrayLength(rt, a);
    const qint64 start = absoluteIndex(rt.toInt32(c.arg(0)), length);
    qint64 deleteCount = length - start;
    if (c.count() > 1) {
        if (c.arg(1).isUndefined())
            return {};
        deleteCount = std::min<qint64>(rt.toInt32(c.arg(1)), length - start);
    }
    if (deleteCount < 0)
        return {};
    rt.spend(length);
    std::vector<Value> removed;
    for (qint64 i = 0; i < deleteCount; ++i)
        removed.push_back(element(rt, a, start + i));
    Object* result = rt.newArray(removed);
    const std::span<const Value> items = c.count() > 2 ? c.args.subspan(2) : std::span<const Value>();
    const auto inserted = qint64(items.size());
    auto move = [&](qint64 i) {
        const qint64 to = i - deleteCount + inserted;
        if (hasElement(rt, a, i))
            setElement(rt, a, to, element(rt, a, i));
        else
            deleteElement(rt, a, to);
    };
    if (inserted > deleteCount) {
        for (qint64 i = length - 1; i >= start + deleteCount; --i)
            move(i);
    } else {
        for (qint64 i = start + deleteCount; i < length; ++i)
            move(i);
    }
    for (qint64 i = 0; i < inserted; ++i)
        setElement(rt, a, start + i, items[size_t(i)]);
    setLength(rt, a, length - deleteCount + inserted);
    return Value(result);
}

Value arrayConcat(Runtime& rt, NativeCall& c)
{
    std::vector<Value> items;
    auto take = [&](const Value& v, bool first) {
        Object* o = v.object();
        if (o && (o->kind == Object::Kind::Array || (first && o->kind == Object::Kind::Plain))) {
            for (Value& e : arrayElements(rt, o))
                items.push_back(std::move(e));
        } else {
            items.push_back(v);
        }
        if (qint64(items.size()) > limits::kMaxArrayLength)
            rt.abort();
    };
    take(c.thisValue, true);
    for (const Value& v : c.args)
        take(v, false);
    return Value(rt.newArray(items));
}

using Compare = std::function<int(const Value&, const Value&, int)>;

int compareDefault(Runtime& rt, const Value& a, const Value& b, int options)
{
    int result = 0;
    if ((options & Numeric) && a.isNumber() && b.isNumber()) {
        result = a.number() < b.number() ? -1 : a.number() > b.number() ? 1 : 0;
    } else {
        const QString x = rt.toString(a);
        const QString y = rt.toString(b);
        result = (options & CaseInsensitive) ? x.compare(y, Qt::CaseInsensitive) : x.compare(y);
        result = result < 0 ? -1 : result > 0 ? 1 : 0;
    }
    return (options & Descending) ? -result : result;
}

// The player's quicksort: the leftmost element is the pivot, and the order
// of comparisons is the player's, so a comparator sees the same calls.
void quicksort(Runtime& rt, std::vector<std::pair<qint64, Value>>& items, const Compare& compare, int options)
{
    if (items.size() < 2)
        return;
    std::vector<std::pair<size_t, size_t>> pending{{0, items.size() - 1}};
    while (!pending.empty()) {
        const auto [low, high] = pending.back();
        pending.pop_back();
        if (low >= high)
            continue;
        const Value pivot = items[low].second;
        size_t left = low + 1;
        size_t right = high;
        for (;;) {
            while (left < right) {
                rt.spend();
                if (compare(pivot, items[left].second, options) <= 0)
                    break;
                ++left;
            }
            while (right > low) {
                rt.spend();
                if (compare(pivot, items[right].second, options) > 0)
                    break;
                --right;
            }
            if (left >= right)
                break;
            std::swap(items[left], items[right]);
        }
        std::swap(items[low], items[right]);
        pending.emplace_back(right + 1, high);
        if (right > 0)
            pending.emplace_back(low, right - 1);
    }
}

Value sortWith(Runtime& rt, Object* a, const Compare& compare, int options, bool sortOn)
{
    const qint64 length = arrayLength(rt, a);
    rt.spend(length);
    std::vector<std::pair<qint64, Value>> items;
    items.reserve(size_t(length));
    for (qint64 i = 0; i < length; ++i)
        items.emplace_back(i, element(rt, a, i));
    const bool descending = options & Descending;
    if (!sortOn)
        options &= ~Descending;
    quicksort(rt, items, compare, options);
    if (!sortOn && descending)
        std::reverse(items.begin(), items.end());
    if (options & UniqueSort) {
        for (size_t i = 1; i < items.size(); ++i) {
            const int r = sortOn ? compare(items[i - 1].second, items[i].second, options)
                                 : compareDefault(rt, items[i - 1].second, items[i].second, options);
            if (r == 0)
                return Value(0);
        }
    }
    if (options & ReturnIndexedArray) {
        std::vector<Value> indices;
        indices.reserve(items.size());
        for (const auto& item : items)
            indices.emplace_back(double(item.first));
        return Value(rt.newArray(indices));
    }
    for (size_t i = 0; i < items.size(); ++i)
        setElement(rt, a, qint64(i), items[i].second);
    return Value(a);
}

Value arraySort(Runtime& rt, NativeCall& c)
{
    Object* a = self(rt, c);
    Object* compareFunction = nullptr;
    int options = 0;
    if (c.count() > 0) {
        if (Object* f = c.arg(0).object()) {
            compareFunction = f;
            if (c.arg(1).isNumber())
                options = avm1::toInt32(c.arg(1).number());
        } else if (c.arg(0).isNumber()) {
            options = avm1::toInt32((c.arg(1).isNumber() ? c.arg(1) : c.arg(0)).number());
        } else {
            return {};
        }
    }
    Compare compare;
    if (compareFunction) {
        compare = [&rt, compareFunction](const Value& x, const Value& y, int) {
            const Value args[] = {x, y};
            const double r = rt.toNumber(rt.call(Value(compareFunction), Value(), args));
            return r < 0 ? -1 : r > 0 ? 1 : 0;
        };
    } else {
        compare = [&rt](const Value& x, const Value& y, int o) { return compareDefault(rt, x, y, o); };
    }
    return sortWith(rt, a, compare, options & 31, false);
}

Value arraySortOn(Runtime& rt, NativeCall& c)
{
    Object* a = self(rt, c);
    if (c.count() == 0)
        return {};
    std::vector<std::pair<QString, int>> fields;
    auto defaultSort = [&rt](const Value& x, const Value& y, int o) { return compareDefault(rt, x, y, o); };
    if (Object* names = c.arg(0).object()) {
        if (names->kind != Object::Kind::Array)
            return sortWith(rt, a, defaultSort, 0, true);
        for (const Value& v : arrayElements(rt, names))
            fields.emplace_back(rt.toString(v), 0);
        if (fields.empty())
            return Value(a);
        if (Object* opts = c.arg(1).object()) {
            const std::vector<Value> values = arrayElements(rt, opts);
            if (opts->kind == Object::Kind::Array && values.size() == fields.size())
                for (size_t i = 0; i < fields.size(); ++i)
                    fields[i].second = rt.toInt32(values[i]);
        } else if (!c.arg(1).isUndefined()) {
            const int o = rt.toInt32(c.arg(1));
            for (auto& f : fields)
                f.second = o;
        }
    } else {
        fields.emplace_back(rt.toString(c.arg(0)), c.arg(1).isNumber() ? avm1::toInt32(c.arg(1).number()) : 0);
    }
    const int mainOptions = fields.front().second & 31;
    Compare compare = [&rt, fields](const Value& x, const Value& y, int o) {
        Object* ox = x.object();
        Object* oy = y.object();
        if (!ox || !oy)
            return compareDefault(rt, x, y, o);
        for (const auto& [name, options] : fields) {
            const Property* px = ox->properties.find(rt.key(name));
            const Property* py = oy->properties.find(rt.key(name));
            const int r = compareDefault(rt, px ? px->value : Value(), py ? py->value : Value(), options);
            if (r != 0)
                return r;
        }
        return 0;
    };
    return sortWith(rt, a, compare, mainOptions, true);
}

} // namespace

void installArrayBuiltins(Runtime& rt, Object* global)
{
    Object* proto = rt.newObject();
    rt.protos.array = proto;
    Object* array = rt.newClass(arrayFunction, proto);
    defineMethods(rt, proto,
                  {{"push", arrayPush},
                   {"pop", arrayPop},
                   {"concat", arrayConcat},
                   {"shift", arrayShift},
                   {"unshift", arrayUnshift},
                   {"slice", arraySlice},
                   {"join", arrayJoin},
                   {"splice", arraySplice},
                   {"toString", arrayToString},
                   {"sort", arraySort},
                   {"reverse", arrayReverse},
                   {"sortOn", arraySortOn}});
    defineConstant(rt, array, "CASEINSENSITIVE", Value(CaseInsensitive));
    defineConstant(rt, array, "DESCENDING", Value(Descending));
    defineConstant(rt, array, "UNIQUESORT", Value(UniqueSort));
    defineConstant(rt, array, "RETURNINDEXEDARRAY", Value(ReturnIndexedArray));
    defineConstant(rt, array, "NUMERIC", Value(Numeric));
    rt.define(global, QStringLiteral("Array"), Value(array), DontEnum);
}

} // namespace movie::avm1
