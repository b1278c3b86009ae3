// MovieClip: timeline control, clips made and removed by scripts, depths;
// the construction of a clip's script object; and the player objects a
// title without user input never needs (Selection), inert.

#include "movie/DisplayList.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/NumberText.h"
#include "movie/draw/EditField.h"

#include <cmath>

namespace movie::avm1 {

std::shared_ptr<SpriteInstance> thisClip(Runtime& rt, NativeCall& c) { return rt.clipOf(c.self); }

DisplayObject* thisPlacement(Runtime& rt, NativeCall& c)
{
    auto clip = thisClip(rt, c);
    return clip ? rt.host().placement(*clip) : nullptr;
}

namespace {

// Scripts number depths from 0 for what they place; timeline depths lie
// below, and the display list keys are the file's depths.
constexpr int kDepthBias = 16384;
constexpr qint64 kMaxDepth = 2130706428;
constexpr qint64 kMaxRemoveDepth = 2130706416;

// A depth argument as a display list key, or false when out of range.
bool scriptDepth(Runtime& rt, const Value& v, int& key)
{
    const qint64 d = qint64(rt.toInt32(v)) + kDepthBias;
    if (d < 0 || d > kMaxDepth)
        return false;
    key = int(d);
    return true;
}

Value clipPlay(Runtime& rt, NativeCall& c)
{
    if (auto clip = thisClip(rt, c))
        clip->playing = true;
    return {};
}

Value clipStop(Runtime& rt, NativeCall& c)
{
    if (auto clip = thisClip(rt, c))
        clip->playing = false;
    return {};
}

Value clipNextFrame(Runtime& rt, NativeCall& c)
{
    if (auto clip = thisClip(rt, c))
        rt.stepFrame(*clip, 1);
    return {};
}

Value clipPrevFrame(Runtime& rt, NativeCall& c)
{
    if (auto clip = thisClip(rt, c))
        rt.stepFrame(*clip, -1);
    return {};
}

Value clipGotoAndPlay(Runtime& rt, NativeCall& c)
{
    if (auto clip = thisClip(rt, c))
        rt.gotoFrameValue(clip, c.arg(0), false);
    return {};
}

Value clipGotoAndStop(Runtime& rt, NativeCall& c)
{
    if (auto clip = thisClip(rt, c))
        rt.gotoFrameValue(clip, c.arg(0), true);
    return {};
}

Value made(Runtime& rt, SpriteInstance* clip, Object* init)
{
    if (!clip)
        return {};
    rt.constructClip(*clip, init, true, true);
    return Value(clip->object);
}

Value clipAttachMovie(Runtime& rt, NativeCall& c)
{
    auto clip = thisClip(rt, c);
    int key = 0;
    if (!clip || c.count() < 3)
        return {};
    const QString symbol = rt.toString(c.arg(0));
    const QString name = rt.toString(c.arg(1));
    if (!scriptDepth(rt, c.arg(2), key))
        return {};
    return made(rt, rt.host().attachClip(*clip, symbol, name, key), c.arg(3).object());
}

Value clipCreateEmptyMovieClip(Runtime& rt, NativeCall& c)
{
    auto clip = thisClip(rt, c);
    int key = 0;
    if (!clip || c.count() < 2)
        return {};
    const QString name = rt.toString(c.arg(0));
    if (!scriptDepth(rt, c.arg(1), key))
        return {};
    // An empty clip has no frame to run: it enters its one frame on the
    // player's next step.
    SpriteInstance* empty = rt.host().createEmptyClip(*clip, name, key);
    if (!empty)
        return {};
    rt.constructClip(*empty, nullptr, true, false);
    return Value(empty->object);
}

Value clipDuplicateMovieClip(Runtime& rt, NativeCall& c)
{
    auto clip = thisClip(rt, c);
    if (!clip || c.count() < 2)
        return {};
    const QString name = rt.toString(c.arg(0));
    const qint64 key = qint64(rt.toInt32(c.arg(1))) + kDepthBias;
    return rt.duplicateClip(*clip, name, key, c.arg(2).object());
}

Value clipRemoveMovieClip(Runtime& rt, NativeCall& c)
{
    if (auto clip = thisClip(rt, c))
        rt.removeClip(*clip);
    else if (auto field = rt.fieldOf(c.self))
        rt.removeField(*field);
    return {};
}

Value clipSwapDepths(Runtime& rt, NativeCall& c)
{
    auto clip = thisClip(rt, c);
    auto parent = clip ? clip->parent.lock() : nullptr;
    if (!parent)
        return {};
    qint64 key = 0;
    const Value target = c.arg(0);
    if (target.isNumber()) {
        key = qint64(avm1::toInt32(target.number())) + kDepthBias;
    } else {
        // A path is taken from this clip; a text field swaps as a clip does.
        Object* named = target.object();
        if (Activation* a = rt.current(); a && !rt.clipOf(named) && !rt.fieldOf(named)) {
            const QString path = rt.toString(target);
            if (!path.isEmpty())
                named = rt.resolveTargetPath(*a, c.self, path, true, false);
        }
        auto other = rt.clipOf(named);
        auto field = other ? nullptr : rt.fieldOf(named);
        if (field && field->parent.lock() == parent)
            key = field->depth;
        else if (other && other->parent.lock() == parent)
            key = other->depth;
        else
            return {};
    }
    if (key < 0 || key > kMaxDepth)
        return {};
    if (key != clip->depth) {
        rt.host().swapDepths(*clip, int(key));
        clip->transformedByScript = true;
    }
    return {};
}

Value clipGetDepth(Runtime& rt, NativeCall& c)
{
    auto clip = thisClip(rt, c);
    return clip ? Value(clip->depth - kDepthBias) : Value();
}

Value clipGetNextHighestDepth(Runtime& rt, NativeCall& c)
{
    auto clip = thisClip(rt, c);
    if (!clip)
        return {};
    const int highest = clip->objects.empty() ? 0 : clip->objects.rbegin()->first + 1;
    return Value(std::max(0, highest - kDepthBias));
}

Value clipGetInstanceAtDepth(Runtime& rt, NativeCall& c)
{
    auto clip = thisClip(rt, c);
    if (!clip || c.count() == 0)
        return {};
    const qint64 key = qint64(rt.toInt32(c.arg(0))) + kDepthBias;
    if (key < 0)
        return {};
    const auto it = clip->objects.find(int(key));
    if (it == clip->objects.end())
        return {};
    return Value(rt.clipObject(it->second.sprite ? *it->second.sprite : *clip));
}

Value clipGetBytesTotal(Runtime& rt, NativeCall& c)
{
    auto clip = thisClip(rt, c);
    return clip ? Value(rt.host().bytesTotal(*clip)) : Value();
}

Value clipGetSwfVersion(Runtime& rt, NativeCall& c)
{
    // A loaded movie has its own.
    auto clip = thisClip(rt, c);
    return Value(clip && clip->movie ? clip->movie->version() : rt.version());
}

// Built-ins that answer without doing anything; the tools say so.
Value clipInert(Runtime& rt, NativeCall& c)
{
    rt.noteInert(c);
    return {};
}

Value clipConstructor(Runtime&, NativeCall& c) { return c.constructing ? Value(c.self) : Value(); }

} // namespace

Value Runtime::duplicateClip(SpriteInstance& clip, const QString& name, qint64 depth, Object* init)
{
    if (depth < 0 || depth > kMaxDepth || !clip.parent.lock())
        return {};
    return made(*this, host_.duplicateClip(clip, name, int(depth)), init);
}

void Runtime::removeClip(SpriteInstance& clip)
{
    // Only what scripts may have placed: timeline depths are the timeline's.
    if (clip.parent.lock() && clip.depth >= kDepthBias && clip.depth < kMaxRemoveDepth) {
        dropFocusWithin(clip.object);
        host_.removeClip(clip);
    }
}

void Runtime::gotoFrame(SpriteInstance& clip, int frame, bool stop)
{
    clip.playing = !stop;
    if (frame >= 0 && frame != clip.frame)
        host_.gotoFrame(clip, frame);
}

void Runtime::stepFrame(SpriteInstance& clip, int delta)
{
    const int frame = clip.frame + delta;
    gotoFrame(clip, frame >= 0 && frame < clip.timeline->frameCount() ? frame : clip.frame, true);
}

void Runtime::gotoFrameValue(std::shared_ptr<SpriteInstance> clip, const Value& frame, bool stop, int bias)
{
    Activation scratch;
    Activation* a = current_;
    if (!a) {
        Object* self = clipObject(*clip);
        scratch.scope = timelineScope(self);
        scratch.baseClip = scratch.target = self;
        scratch.thisValue = Value(self);
        scratch.version = version_;
        a = &scratch;
    }
    bool found = false;
    const int number = frameOf(*a, clip, frame, found);
    if (!found || !clip)
        return;
    const qint64 target = std::min<qint64>(qint64(number) + bias, 16001);
    if (target > 0)
        gotoFrame(*clip, int(target - 1), stop);
}

void Runtime::constructClip(SpriteInstance& clip, Object* init, bool byScript, bool runFrame)
{
    if (clip.object)
        return;
    const QString symbol = host_.symbolName(clip);
    Object* constructor = symbol.isEmpty() ? nullptr : registeredClass(symbol);
    if (constructor && byScript) {
        Object* o = clipObject(clip);
        define(o, QStringLiteral("__proto__"), get(constructor, QStringLiteral("prototype")), DontEnum | DontDelete);
        if (runFrame)
            host_.runFirstFrame(clip);
        if (init) {
            // Here the player sets them in the reverse of the order for..in visits them.
            QStringList names = enumerate(init);
            std::reverse(names.begin(), names.end());
            for (const QString& name : std::as_const(names))
                set(o, name, get(init, name));
        }
        constructOn(o, constructor, {});
        return;
    }
    Object* o = clipObject(clip);
    if (runFrame)
        host_.runFirstFrame(clip);
    if (init)
        for (const QString& name : enumerate(init))
            set(o, name, get(init, name));
    Queued construct;
    construct.clip = clip.weak_from_this();
    construct.construct = true;
    construct.constructor = constructor;
    if (clip.clipActions) {
        for (const ClipAction& action : *clip.clipActions) {
            if (action.events & ClipAction::Initialize)
                queueCode(clip, action.actions, Priority::Initialize);
            if (action.events & ClipAction::Construct)
                construct.handlers.push_back(action.actions);
        }
    }
    queues_[static_cast<int>(Priority::Construct)].push_back(std::move(construct));
}

void Runtime::constructQueued(SpriteInstance& clip, const Queued& q)
{
    Object* o = clipObject(clip);
    if (q.constructor)
        define(o, QStringLiteral("__proto__"), get(q.constructor, QStringLiteral("prototype")), DontEnum | DontDelete);
    for (const QByteArray& handler : q.handlers)
        runCode(clip, handler);
    if (q.constructor) {
        constructOn(o, q.constructor, {});
    }
}

void installClipBuiltins(Runtime& rt, Object* global)
{
    Object* proto = rt.newObject();
    rt.protos.movieClip = proto;
    Object* movieClip = rt.newClass(clipConstructor, proto);
    defineMethods(rt, proto,
                  {{"getURL", clipInert},
                   {"attachMovie", clipAttachMovie},
                   {"swapDepths", clipSwapDepths},
                   {"getBytesTotal", clipGetBytesTotal},
                   {"getBytesLoaded", clipGetBytesTotal},
                   {"getDepth", clipGetDepth, 6},
                   {"play", clipPlay},
                   {"stop", clipStop},
                   {"nextFrame", clipNextFrame},
                   {"prevFrame", clipPrevFrame},
                   {"gotoAndPlay", clipGotoAndPlay},
                   {"gotoAndStop", clipGotoAndStop},
                   {"duplicateMovieClip", clipDuplicateMovieClip},
                   {"removeMovieClip", clipRemoveMovieClip},
                   {"startDrag", clipInert},
                   {"stopDrag", clipInert},
                   {"getNextHighestDepth", clipGetNextHighestDepth, 7},
                   {"getInstanceAtDepth", clipGetInstanceAtDepth, 7},
                   {"getSWFVersion", clipGetSwfVersion},
                   {"createEmptyMovieClip", clipCreateEmptyMovieClip, 6}});
    // A clip answers to the mouse with the hand cursor, and keeps the root
    // of its movie, until a script says otherwise.
    if (rt.version() >= 6) {
        rt.define(proto, QStringLiteral("enabled"), Value(true), DontEnum);
        rt.define(proto, QStringLiteral("useHandCursor"), Value(true), DontEnum);
        rt.define(proto, QStringLiteral("_lockroot"), Value(false), DontEnum);
    }
    rt.define(global, QStringLiteral("MovieClip"), Value(movieClip), DontEnum);
}

} // namespace movie::avm1
