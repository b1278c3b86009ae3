// Movies, pictures and variables loaded into clips and levels from files
// beside the movie: the clip methods loadMovie, unloadMovie and
// loadVariables, and MovieClipLoader with its listeners.

#include "movie/DisplayList.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/Operators.h"

namespace movie::avm1 {

namespace {

// Where a load goes: a level (a number, or "_levelN"), or a clip by object
// or target path; false for nothing. A level's own clip is that level.
bool loadTarget(Runtime& rt, const Value& target, LoadRequest& request)
{
    if (target.isNumber()) {
        request.level = rt.toInt32(target);
        return request.level >= 0;
    }
    if (target.isString() && (request.level = levelOfName(target.string())) >= 0)
        return true;
    std::shared_ptr<SpriteInstance> clip = rt.clipOf(target);
    if (!clip && target.isString() && rt.current())
        clip = rt.targetClip(*rt.current(), target);
    if (!clip)
        return false;
    request.target = rt.clipObject(*clip);
    return true;
}

bool requestFor(Runtime& rt, Object* clip, LoadRequest::Kind kind, const Value& url)
{
    if (!rt.clipOf(clip) || (kind != LoadRequest::Kind::Unload && url.isUndefined()))
        return false;
    LoadRequest request;
    request.kind = kind;
    request.url = kind == LoadRequest::Kind::Unload ? QString() : rt.toString(url);
    request.target = clip;
    return rt.requestLoad(request);
}

Value clipLoadMovie(Runtime& rt, NativeCall& c)
{
    requestFor(rt, c.self, LoadRequest::Kind::Movie, c.arg(0));
    return {};
}

Value clipLoadVariables(Runtime& rt, NativeCall& c)
{
    requestFor(rt, c.self, LoadRequest::Kind::Variables, c.arg(0));
    return {};
}

Value clipUnloadMovie(Runtime& rt, NativeCall& c)
{
    requestFor(rt, c.self, LoadRequest::Kind::Unload, {});
    return {};
}

// --- A broadcaster's listeners: the objects in its _listeners array.
// These stand in for AsBroadcaster's own methods where the player has none.

std::vector<Value> listenersOf(Runtime& rt, Object* self, Object*& array)
{
    array = self ? rt.get(self, QStringLiteral("_listeners")).object() : nullptr;
    return array ? arrayElements(rt, array) : std::vector<Value>{};
}

void storeListeners(Runtime& rt, Object* array, const std::vector<Value>& listeners)
{
    const qint64 old = arrayLength(rt, array);
    for (size_t i = 0; i < listeners.size(); ++i)
        rt.set(array, QString::number(i), listeners[i]);
    for (auto i = qint64(listeners.size()); i < old; ++i)
        rt.deleteProperty(array, QString::number(i));
    rt.set(array, QStringLiteral("length"), Value(double(listeners.size())));
}

// Whether `listener` was among them; it no longer is.
bool dropListener(Runtime& rt, std::vector<Value>& listeners, const Value& listener)
{
    for (auto it = listeners.begin(); it != listeners.end(); ++it)
        if (strictEquals(rt, *it, listener)) {
            listeners.erase(it);
            return true;
        }
    return false;
}

Value listenerAdd(Runtime& rt, NativeCall& c)
{
    Object* array = nullptr;
    std::vector<Value> listeners = listenersOf(rt, c.self, array);
    if (!array)
        return Value(false);
    dropListener(rt, listeners, c.arg(0));
    listeners.push_back(c.arg(0));
    storeListeners(rt, array, listeners);
    return Value(true);
}

Value listenerRemove(Runtime& rt, NativeCall& c)
{
    Object* array = nullptr;
    std::vector<Value> listeners = listenersOf(rt, c.self, array);
    if (!array || !dropListener(rt, listeners, c.arg(0)))
        return Value(false);
    storeListeners(rt, array, listeners);
    return Value(true);
}

// Calls the method of that name on every listener there is now, with the
// arguments after the name.
Value listenerBroadcast(Runtime& rt, NativeCall& c)
{
    Object* array = nullptr;
    const std::vector<Value> listeners = listenersOf(rt, c.self, array);
    if (c.count() == 0)
        return {};
    const QString method = rt.toString(c.arg(0));
    const std::span<const Value> args = c.args.subspan(1);
    for (const Value& listener : listeners)
        rt.callMethod(listener, method, args);
    return {};
}

// --- MovieClipLoader

// A loader is its own first listener.
Value loaderConstructor(Runtime& rt, NativeCall& c)
{
    if (!c.constructing || !c.self)
        return {};
    const Value self(c.self);
    rt.define(c.self, QStringLiteral("_listeners"), Value(rt.newArray(std::span<const Value>(&self, 1))), DontEnum);
    return {};
}

Value loaderLoadClip(Runtime& rt, NativeCall& c)
{
    LoadRequest request;
    request.kind = LoadRequest::Kind::Movie;
    request.loader = c.self;
    if (!c.self || c.arg(0).isUndefined() || !loadTarget(rt, c.arg(1), request))
        return Value(false);
    request.url = rt.toString(c.arg(0));
    return Value(rt.requestLoad(request));
}

Value loaderUnloadClip(Runtime& rt, NativeCall& c)
{
    LoadRequest request;
    request.kind = LoadRequest::Kind::Unload;
    if (!loadTarget(rt, c.arg(0), request))
        return Value(false);
    return Value(rt.requestLoad(request));
}

// {bytesLoaded, bytesTotal} of a clip: a file comes whole, or not at all.
Value loaderGetProgress(Runtime& rt, NativeCall& c)
{
    auto clip = rt.clipOf(c.arg(0));
    if (!clip)
        return {};
    Object* progress = rt.newObject();
    const Value bytes(rt.host().bytesTotal(*clip));
    rt.set(progress, QStringLiteral("bytesLoaded"), bytes);
    rt.set(progress, QStringLiteral("bytesTotal"), bytes);
    return Value(progress);
}

} // namespace

void installLoadingBuiltins(Runtime& rt, Object* global)
{
    defineMethods(
        rt, rt.protos.movieClip,
        {{"loadMovie", clipLoadMovie}, {"loadVariables", clipLoadVariables}, {"unloadMovie", clipUnloadMovie}});

    Object* proto = rt.newObject();
    Object* loader = rt.newClass(loaderConstructor, proto, loaderConstructor);
    defineMethods(rt, proto,
                  {{"loadClip", loaderLoadClip}, {"unloadClip", loaderUnloadClip}, {"getProgress", loaderGetProgress}});
    // The listener methods are AsBroadcaster's own where the player has them.
    Object* broadcaster = rt.get(global, QStringLiteral("AsBroadcaster")).object();
    const std::pair<const char*, NativeFunction> listenerMethods[] = {
        {"addListener", listenerAdd}, {"removeListener", listenerRemove}, {"broadcastMessage", listenerBroadcast}};
    for (const auto& [name, fallback] : listenerMethods) {
        const QString n = QString::fromLatin1(name);
        Value method = broadcaster ? rt.get(broadcaster, n) : Value();
        if (!method.object())
            method = Value(rt.newFunction(fallback));
        rt.define(proto, n, method, DontEnum | DontDelete);
    }
    rt.define(global, QStringLiteral("MovieClipLoader"), Value(loader), DontEnum);
}

} // namespace movie::avm1
