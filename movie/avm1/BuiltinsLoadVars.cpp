// LoadVars: variables in their URL text form, loaded from a file beside the
// movie; and the loading of data that XML shares with it.

#include "movie/avm1/Builtins.h"
#include "movie/avm1/UrlText.h"

namespace movie::avm1 {

namespace {

// `loaded` is the object's own, hidden from for..in and from toString().
void setLoaded(Runtime& rt, Object* o, bool loaded) { rt.define(o, QStringLiteral("loaded"), Value(loaded), DontEnum); }

// load(url) and sendAndLoad(url, target): the file comes to the target's
// onData in a later step; nothing is sent anywhere.
bool requestData(Runtime& rt, Object* target, const Value& url)
{
    if (!target || url.isUndefined())
        return false;
    setLoaded(rt, target, false);
    LoadRequest request;
    request.url = rt.toString(url);
    request.target = target;
    return rt.requestLoad(request);
}

Value dataLoad(Runtime& rt, NativeCall& c) { return Value(requestData(rt, c.self, c.arg(0))); }

Value dataSendAndLoad(Runtime& rt, NativeCall& c) { return Value(requestData(rt, c.arg(1).object(), c.arg(0))); }

// A request to a server, which a title preview never makes.
Value dataSend(Runtime& rt, NativeCall& c)
{
    rt.noteInert(c);
    return Value(false);
}

Value dataAddRequestHeader(Runtime&, NativeCall&) { return {}; }

Value dataGetBytesLoaded(Runtime& rt, NativeCall& c) { return rt.get(c.self, QStringLiteral("_bytesLoaded")); }

Value dataGetBytesTotal(Runtime& rt, NativeCall& c) { return rt.get(c.self, QStringLiteral("_bytesTotal")); }

Value dataOnLoad(Runtime&, NativeCall&) { return {}; }

Value loadVarsConstructor(Runtime&, NativeCall&) { return {}; }

Value loadVarsDecode(Runtime& rt, NativeCall& c)
{
    if (!c.self || c.count() == 0)
        return {};
    for (const auto& [name, value] : urlVariables(rt.toString(c.arg(0)))) {
        rt.spend();
        rt.set(c.self, name, Value(value));
    }
    return {};
}

// Every variable a for..in loop visits, in its order, as name=value.
Value loadVarsToString(Runtime& rt, NativeCall& c)
{
    if (!c.self)
        return {};
    QStringList pairs;
    for (const QString& name : rt.enumerate(c.self)) {
        rt.spend();
        pairs << urlEscape(name) + u'=' + urlEscape(rt.toString(rt.get(c.self, name)));
    }
    return Value(rt.checkedString(pairs.join(u'&')));
}

Value loadVarsOnData(Runtime& rt, NativeCall& c) { return defaultOnData(rt, c, "decode"); }

} // namespace

void defineDataLoading(Runtime& rt, Object* prototype)
{
    defineMethods(rt, prototype,
                  {{"load", dataLoad},
                   {"sendAndLoad", dataSendAndLoad},
                   {"send", dataSend},
                   {"addRequestHeader", dataAddRequestHeader},
                   {"getBytesLoaded", dataGetBytesLoaded},
                   {"getBytesTotal", dataGetBytesTotal},
                   {"onLoad", dataOnLoad}});
    rt.define(prototype, QStringLiteral("contentType"), Value(QStringLiteral("application/x-www-form-urlencoded")),
              DontEnum);
    rt.define(prototype, QStringLiteral("loaded"), Value(), DontEnum);
}

Value defaultOnData(Runtime& rt, NativeCall& c, const char* parse)
{
    const Value self(c.self);
    const Value text = c.arg(0);
    if (text.isUndefined()) {
        const Value failed(false);
        rt.callMethod(self, QStringLiteral("onLoad"), std::span<const Value>(&failed, 1));
        return {};
    }
    rt.callMethod(self, QString::fromLatin1(parse), std::span<const Value>(&text, 1));
    if (c.self)
        setLoaded(rt, c.self, true);
    const Value done(true);
    rt.callMethod(self, QStringLiteral("onLoad"), std::span<const Value>(&done, 1));
    return {};
}

void installLoadVarsBuiltins(Runtime& rt, Object* global)
{
    Object* proto = rt.newObject();
    Object* loadVars = rt.newClass(loadVarsConstructor, proto);
    defineMethods(rt, proto, {{"decode", loadVarsDecode}, {"toString", loadVarsToString}, {"onData", loadVarsOnData}});
    defineDataLoading(rt, proto);
    rt.define(global, QStringLiteral("LoadVars"), Value(loadVars), DontEnum);
}

} // namespace movie::avm1
