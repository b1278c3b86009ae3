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
    // Its listener methods are AsBroadcaster's own, installed before it.
    Object* broadcaster = rt.get(global, QStringLiteral("AsBroadcaster")).object();
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
        const QString n = QString::fromLatin1(name);
        rt.define(proto, n, rt.get(broadcaster, n), DontEnum | DontDelete);
    }
    rt.define(global, QStringLiteral("MovieClipLoader"), Value(loader), DontEnum);
}

} // namespace movie::avm1
