// Object, Function, Error and the global functions (parseInt, escape,
// ASSetPropFlags, ...), and the setting up of the global object.

#include "movie/Limits.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/NumberText.h"
#include "movie/avm1/UrlText.h"

#include <cmath>

namespace movie::avm1 {

void defineMethods(Runtime& rt, Object* on, std::initializer_list<MethodSpec> methods)
{
    for (const MethodSpec& m : methods) {
        rt.define(on, QString::fromLatin1(m.name), Value(rt.newFunction(m.fn)), DontEnum | DontDelete);
        if (m.minVersion)
            on->properties.find(rt.key(QString::fromLatin1(m.name)))->minVersion = m.minVersion;
    }
}

void defineConstant(Runtime& rt, Object* on, const char* name, const Value& value)
{
    rt.define(on, QString::fromLatin1(name), value, DontEnum | DontDelete | ReadOnly);
}

void defineAccessors(Runtime& rt, Object* on, std::initializer_list<AccessorSpec> accessors)
{
    for (const AccessorSpec& a : accessors) {
        const QString name = QString::fromLatin1(a.name);
        rt.define(on, name, Value(), DontEnum | DontDelete);
        Property* p = on->properties.find(rt.key(name));
        p->getter = rt.newFunction(a.get);
        p->setter = a.set ? rt.newFunction(a.set) : nullptr;
        p->minVersion = a.minVersion;
    }
}

Object* flashPackage(Runtime& rt, Object* global, const char* name)
{
    const QString flashName = QStringLiteral("flash");
    Property* flash = global->properties.find(rt.key(flashName));
    if (!flash || !flash->value.object()) {
        rt.define(global, flashName, Value(rt.newObject()), DontEnum);
        flash = global->properties.find(rt.key(flashName));
        flash->minVersion = 8;
    }
    Object* root = flash->value.object();
    const QString packageName = QString::fromLatin1(name);
    if (Object* existing = rt.get(root, packageName).object())
        return existing;
    Object* package = rt.newObject();
    rt.define(root, packageName, Value(package), DontEnum);
    return package;
}

qint64 arrayLength(Runtime& rt, Object* array)
{
    const double n = rt.toNumber(rt.get(array, QStringLiteral("length")));
    if (!(n > 0))
        return 0;
    return qint64(std::min<double>(n, double(limits::kMaxArrayLength)));
}

std::vector<Value> arrayElements(Runtime& rt, Object* array)
{
    std::vector<Value> items;
    if (!array)
        return items;
    const qint64 n = arrayLength(rt, array);
    rt.spend(n);
    items.reserve(size_t(n));
    for (qint64 i = 0; i < n; ++i)
        items.push_back(rt.get(array, QString::number(i)));
    return items;
}

namespace {

// --- Object

Value objectFunction(Runtime& rt, NativeCall& c)
{
    const Value v = c.arg(0);
    if (v.isNullish())
        return c.constructing ? Value(c.self) : Value(rt.newObject(nullptr));
    return Value(rt.toObject(v));
}

Value objectAddProperty(Runtime& rt, NativeCall& c)
{
    const QString name = rt.toString(c.arg(0));
    Object* getter = c.arg(1).object();
    const Value setter = c.arg(2);
    if (!c.self || !getter || name.isEmpty() || !(setter.isObject() || setter.isNull()))
        return Value(false);
    const QString k = rt.key(name);
    Property* p = c.self->properties.find(k);
    if (!p)
        p = &c.self->properties.add(k, name);
    p->value = Value();
    p->getter = getter;
    p->setter = setter.object();
    p->attributes = setter.isNull() ? ReadOnly : 0;
    return Value(true);
}

Value objectHasOwnProperty(Runtime& rt, NativeCall& c)
{
    return Value(c.self && rt.hasOwnProperty(c.self, rt.toString(c.arg(0))));
}

Value objectIsPropertyEnumerable(Runtime& rt, NativeCall& c)
{
    if (!c.self)
        return Value(false);
    const Property* p = c.self->properties.find(rt.key(rt.toString(c.arg(0))));
    return Value(p && !(p->attributes & DontEnum));
}

Value objectIsPrototypeOf(Runtime& rt, NativeCall& c)
{
    Object* o = c.arg(0).object();
    return Value(o && c.self && rt.isInstanceOf(o, c.self));
}

Value objectToString(Runtime&, NativeCall& c)
{
    if (c.self && c.self->isFunction())
        return Value(QStringLiteral("[type Function]"));
    return Value(QStringLiteral("[object Object]"));
}

Value objectToLocaleString(Runtime& rt, NativeCall& c)
{
    return rt.callMethod(c.thisValue, QStringLiteral("toString"), {});
}

Value objectValueOf(Runtime&, NativeCall& c) { return c.thisValue; }

Value objectWatch(Runtime& rt, NativeCall& c)
{
    Object* callback = c.arg(1).object();
    if (!c.self || c.count() < 2 || !callback || !callback->isFunction())
        return Value(false);
    const QString k = rt.key(rt.toString(c.arg(0)));
    auto& watches = c.self->watches;
    auto w = std::find_if(watches.begin(), watches.end(), [&](const Object::Watch& x) { return x.key == k; });
    if (w == watches.end()) {
        w = watches.insert(watches.end(), Object::Watch{k, callback, Value(), false});
        rt.heap().charge(qint64(sizeof(Object::Watch)) + Tracer::bytesOf(k));
    }
    w->callback = callback;
    w->userData = c.arg(2);
    return Value(true);
}

Value objectUnwatch(Runtime& rt, NativeCall& c)
{
    if (!c.self || c.count() < 1)
        return Value(false);
    const QString k = rt.key(rt.toString(c.arg(0)));
    return Value(std::erase_if(c.self->watches, [&](const Object::Watch& w) { return w.key == k; }) > 0);
}

Value objectRegisterClass(Runtime& rt, NativeCall& c)
{
    const Value constructor = c.arg(1);
    if (c.count() < 2 || !(constructor.isObject() || constructor.isNull()))
        return Value(false);
    rt.registerClass(rt.toString(c.arg(0)), constructor.object());
    return Value(true);
}

// --- Function

Value functionFunction(Runtime& rt, NativeCall& c)
{
    if (c.count() > 0)
        return c.arg(0);
    return c.constructing ? Value(c.self) : Value(rt.newObject(nullptr));
}

Value functionCall(Runtime& rt, NativeCall& c)
{
    if (!c.self || !c.self->isFunction())
        return {};
    Object* self = c.arg(0).isNullish() ? nullptr : rt.toObject(c.arg(0));
    if (!self)
        self = rt.global();
    const std::span<const Value> args = c.count() > 1 ? c.args.subspan(1) : std::span<const Value>();
    return rt.invoke(c.self, Value(self), args, false);
}

Value functionApply(Runtime& rt, NativeCall& c)
{
    if (!c.self || !c.self->isFunction())
        return {};
    Object* self = c.arg(0).isNullish() ? nullptr : rt.toObject(c.arg(0));
    if (!self)
        self = rt.global();
    const std::vector<Value> args = arrayElements(rt, c.arg(1).object());
    return rt.invoke(c.self, Value(self), args, false);
}

// --- Error

Value errorFunction(Runtime& rt, NativeCall& c)
{
    Object* self = c.constructing ? c.self : rt.newObject(rt.protos.error);
    if (!c.arg(0).isUndefined())
        rt.set(self, QStringLiteral("message"), c.arg(0));
    return Value(self);
}

Value errorToString(Runtime& rt, NativeCall& c)
{
    return Value(rt.toString(rt.get(c.thisValue, QStringLiteral("message"))));
}

// --- Global functions

Value globalParseInt(Runtime& rt, NativeCall& c)
{
    if (c.count() == 0)
        return {};
    const int radix = c.count() > 1 ? rt.toInt32(c.arg(1)) : 0;
    if (c.count() > 1 && (radix < 2 || radix > 36))
        return Value(std::nan(""));
    return Value(parseInteger(rt.toString(c.arg(0)), radix));
}

Value globalParseFloat(Runtime& rt, NativeCall& c)
{
    if (c.count() == 0)
        return {};
    return Value(parseDecimal(rt.toString(c.arg(0)), false));
}

Value globalIsNaN(Runtime& rt, NativeCall& c) { return Value(c.count() == 0 || std::isnan(rt.toNumber(c.arg(0)))); }

Value globalIsFinite(Runtime& rt, NativeCall& c)
{
    return Value(c.count() > 0 && std::isfinite(rt.toNumber(c.arg(0))));
}

Value globalEscape(Runtime& rt, NativeCall& c)
{
    if (c.count() == 0)
        return {};
    return Value(rt.checkedString(urlEscape(rt.toString(c.arg(0)))));
}

Value globalUnescape(Runtime& rt, NativeCall& c)
{
    if (c.count() == 0)
        return {};
    return Value(urlUnescape(rt.toString(c.arg(0))));
}

Value globalASSetPropFlags(Runtime& rt, NativeCall& c)
{
    Object* o = c.arg(0).object();
    if (!o)
        return {};
    const quint8 set = quint8(rt.toInt32(c.arg(2)) & 7);
    const quint8 clear = quint8(rt.toInt32(c.arg(3)) & 7);
    auto apply = [&](Property& p) { p.attributes = quint8((p.attributes & ~clear) | set); };
    const Value names = c.arg(1);
    if (names.isNull()) {
        std::vector<QString> keys;
        o->properties.forEach([&](const Property& p) { keys.push_back(rt.key(p.name)); });
        for (const QString& k : keys)
            if (Property* p = o->properties.find(k))
                apply(*p);
        return {};
    }
    QStringList list;
    if (Object* array = names.object())
        for (const Value& v : arrayElements(rt, array))
            list << rt.toString(v);
    else
        list = rt.toString(names).split(u',');
    for (const QString& name : std::as_const(list))
        if (Property* p = o->properties.find(rt.key(name)))
            apply(*p);
    return {};
}

Value globalInert(Runtime&, NativeCall&) { return {}; }

} // namespace

void installObjectBuiltins(Runtime& rt, Object* global)
{
    Object* objectProto = rt.protos.object;
    Object* object = rt.newClass(objectFunction, objectProto);
    defineMethods(rt, objectProto,
                  {{"watch", objectWatch, 6},
                   {"unwatch", objectUnwatch, 6},
                   {"addProperty", objectAddProperty, 6},
                   {"valueOf", objectValueOf},
                   {"toString", objectToString},
                   {"hasOwnProperty", objectHasOwnProperty, 6},
                   {"isPrototypeOf", objectIsPrototypeOf, 6},
                   {"isPropertyEnumerable", objectIsPropertyEnumerable, 6},
                   {"toLocaleString", objectToLocaleString}});
    defineMethods(rt, object, {{"registerClass", objectRegisterClass}});
    rt.define(global, QStringLiteral("Object"), Value(object), DontEnum);

    Object* functionProto = rt.protos.function;
    Object* function = rt.newClass(functionFunction, functionProto);
    defineMethods(rt, functionProto, {{"call", functionCall}, {"apply", functionApply}});
    rt.define(global, QStringLiteral("Function"), Value(function), DontEnum);
    global->properties.find(rt.key(QStringLiteral("Function")))->minVersion = 6;

    rt.protos.error = rt.newObject();
    Object* error = rt.newClass(errorFunction, rt.protos.error);
    rt.define(rt.protos.error, QStringLiteral("message"), Value(QStringLiteral("Error")), DontEnum);
    rt.define(rt.protos.error, QStringLiteral("name"), Value(QStringLiteral("Error")), DontEnum);
    defineMethods(rt, rt.protos.error, {{"toString", errorToString}});
    rt.define(global, QStringLiteral("Error"), Value(error), DontEnum);

    defineMethods(rt, global,
                  {{"ASSetPropFlags", globalASSetPropFlags},
                   {"escape", globalEscape},
                   {"unescape", globalUnescape},
                   {"parseInt", globalParseInt},
                   {"parseFloat", globalParseFloat},
                   {"isNaN", globalIsNaN},
                   {"isFinite", globalIsFinite},
                   {"updateAfterEvent", globalInert}});
    if (rt.version() > 4) {
        rt.define(global, QStringLiteral("NaN"), Value(std::nan("")), DontEnum);
        rt.define(global, QStringLiteral("Infinity"), Value(std::numeric_limits<double>::infinity()), DontEnum);
    }
    rt.define(global, QStringLiteral("o"), Value::null());
}

void Runtime::installBuiltins()
{
    protos.object = heap_.make<Object>();
    protos.function = newObject(protos.object);
    global_ = newObject(nullptr); // the global object has no prototype
    installObjectBuiltins(*this, global_);
    installNumberBuiltins(*this, global_);
    installStringBuiltins(*this, global_);
    installArrayBuiltins(*this, global_);
    installClipBuiltins(*this, global_);
    installTimerBuiltins(*this, global_);
    installColorBuiltins(*this, global_);
    installSoundBuiltins(*this, global_);
    installBroadcasterBuiltins(*this, global_);
    installClipGeometryBuiltins(*this, global_);
    installSystemBuiltins(*this, global_);
    installGeomBuiltins(*this, global_);
    installFilterBuiltins(*this, global_);
    installBitmapDataBuiltins(*this, global_);
    installDrawingBuiltins(*this, global_);
    installTabOrderBuiltins(*this, global_);
    installXmlBuiltins(*this, global_);
    installLoadVarsBuiltins(*this, global_);
    installLoadingBuiltins(*this, global_);
    installTextFieldBuiltins(*this, global_);
    installSelectionBuiltins(*this, global_);
}

} // namespace movie::avm1
