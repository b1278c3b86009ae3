// Sound: the sounds a script starts and stops, and the volume and balance
// of a clip's sounds (or the whole movie's), kept with the clip.

#include "movie/DisplayList.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/ClipReference.h"
#include "movie/avm1/Clock.h"
#include "movie/avm1/NumberText.h"

#include <cmath>

namespace movie::avm1 {

namespace {

struct SoundState : NativeState {
    ClipReference clip;  // unset: the whole movie
    quint16 soundId = 0; // the attached sound; 0 for none
    double duration = 0; // its length, ms
    // While it plays: when it started (by the player's clock), from where and how often.
    bool playing = false;
    double startedAt = 0, offset = 0;
    int loops = 1;

    void trace(Tracer& tracer) const override { clip.trace(tracer); }
    double endsAt() const { return startedAt + std::max(0.0, duration * loops - offset); }
};

// The Sound objects whose sounds play, for their onSoundComplete.
struct PlayingSounds : NativeState {
    std::vector<Object*> sounds;
    void trace(Tracer& tracer) const override
    {
        for (Object* o : sounds)
            tracer.mark(o);
    }
};

SoundState* stateOfCall(NativeCall& c) { return stateOf<SoundState>(c.self); }

// The sound transform the object works on: its clip's, or the movie's;
// null when its clip is not to be found.
SoundTransform* transformOf(Runtime& rt, const SoundState& s, std::shared_ptr<SpriteInstance>& keep)
{
    if (!s.clip.isSet())
        return &rt.host().movieSoundTransform();
    keep = s.clip.resolve(rt);
    return keep ? &keep->sound : nullptr;
}

// Runs `f` on the sound transform of the call's object, if it has one.
template <class F>
Value withTransform(Runtime& rt, NativeCall& c, F&& f)
{
    SoundState* s = stateOfCall(c);
    std::shared_ptr<SpriteInstance> keep;
    SoundTransform* t = s ? transformOf(rt, *s, keep) : nullptr;
    return t ? f(*t) : Value();
}

// Percentages are kept as whole numbers, as the player keeps them.
double percent(Runtime& rt, const Value& v)
{
    const double n = rt.toNumber(v);
    return std::isfinite(n) ? double(avm1::toInt32(n)) : 0;
}

Value soundGetVolume(Runtime& rt, NativeCall& c)
{
    return withTransform(rt, c, [](SoundTransform& t) { return Value(t.volume); });
}

Value soundSetVolume(Runtime& rt, NativeCall& c)
{
    return withTransform(rt, c, [&](SoundTransform& t) {
        t.volume = percent(rt, c.arg(0));
        return Value();
    });
}

Value soundGetPan(Runtime& rt, NativeCall& c)
{
    // The left speaker's loss when it has one, else the right one's.
    return withTransform(rt, c, [](SoundTransform& t) { return Value(t.ll != 100 ? 100 - t.ll : t.rr - 100); });
}

Value soundSetPan(Runtime& rt, NativeCall& c)
{
    return withTransform(rt, c, [&](SoundTransform& t) {
        const double pan = percent(rt, c.arg(0));
        t.ll = pan > 0 ? 100 - pan : 100;
        t.rr = pan < 0 ? 100 + pan : 100;
        t.lr = t.rl = 0;
        return Value();
    });
}

struct Channel {
    const char* name;
    double SoundTransform::*field;
};
constexpr Channel kChannels[] = {
    {"ll", &SoundTransform::ll}, {"lr", &SoundTransform::lr}, {"rr", &SoundTransform::rr}, {"rl", &SoundTransform::rl}};

Value soundGetTransform(Runtime& rt, NativeCall& c)
{
    return withTransform(rt, c, [&](SoundTransform& t) {
        Object* out = rt.newObject();
        for (const Channel& channel : kChannels)
            rt.set(out, QString::fromLatin1(channel.name), Value(t.*channel.field));
        return Value(out);
    });
}

Value soundSetTransform(Runtime& rt, NativeCall& c)
{
    Object* from = c.arg(0).object();
    if (!from)
        return {};
    return withTransform(rt, c, [&](SoundTransform& t) {
        // Only what the object names changes.
        SoundTransform changed = t;
        for (const Channel& channel : kChannels) {
            const QString name = QString::fromLatin1(channel.name);
            if (rt.hasProperty(from, name))
                changed.*channel.field = percent(rt, rt.get(from, name));
        }
        t = changed;
        return Value();
    });
}

Value soundAttachSound(Runtime& rt, NativeCall& c)
{
    SoundState* s = stateOfCall(c);
    if (!s || c.count() == 0)
        return {};
    double duration = 0;
    const quint16 id = rt.host().exportedSound(rt.toString(c.arg(0)), duration);
    if (id != 0) {
        s->soundId = id;
        s->duration = duration;
        s->playing = false;
    }
    return {};
}

// The clip a call's sound plays under: `owner` stays null for the movie's
// own; false when the object's clip is not to be found.
bool ownerOf(Runtime& rt, const SoundState& s, std::shared_ptr<SpriteInstance>& owner)
{
    if (!s.clip.isSet())
        return true;
    owner = s.clip.resolve(rt);
    return owner != nullptr;
}

Value soundStart(Runtime& rt, NativeCall& c)
{
    SoundState* s = stateOfCall(c);
    std::shared_ptr<SpriteInstance> owner;
    if (!s || s->soundId == 0 || !ownerOf(rt, *s, owner))
        return {};
    const double offset = c.count() > 0 ? rt.toNumber(c.arg(0)) : 0;
    const double loops = c.count() > 1 ? rt.toNumber(c.arg(1)) : 1;
    s->offset = std::isfinite(offset) && offset > 0 ? offset * 1000 : 0;
    s->loops = std::isfinite(loops) && loops >= 1 ? int(std::min(loops, 32767.0)) : 1;
    s->startedAt = rt.elapsedMs();
    s->playing = true;
    rt.host().startSound(s->soundId, s->offset / 1000, s->loops, owner.get());
    std::vector<Object*>& playing = rt.extension<PlayingSounds>().sounds;
    if (std::find(playing.begin(), playing.end(), c.self) == playing.end())
        playing.push_back(c.self);
    return {};
}

Value soundStop(Runtime& rt, NativeCall& c)
{
    SoundState* s = stateOfCall(c);
    std::shared_ptr<SpriteInstance> owner;
    if (!s || !ownerOf(rt, *s, owner))
        return {};
    quint16 id = 0;
    if (c.count() > 0) {
        double ignored = 0;
        id = rt.host().exportedSound(rt.toString(c.arg(0)), ignored);
        if (id == 0)
            return {};
    }
    rt.host().stopSound(id, owner.get());
    if (id == 0 || id == s->soundId)
        s->playing = false;
    return {};
}

Value soundGetDuration(Runtime&, NativeCall& c)
{
    const SoundState* s = stateOfCall(c);
    return s && s->soundId ? Value(s->duration) : Value();
}

Value soundGetPosition(Runtime& rt, NativeCall& c)
{
    const SoundState* s = stateOfCall(c);
    if (!s || !s->soundId)
        return {};
    if (!s->playing || s->duration <= 0)
        return Value(0);
    const double played = rt.elapsedMs() - s->startedAt + s->offset;
    if (rt.elapsedMs() >= s->endsAt())
        return Value(s->duration);
    return Value(std::floor(std::fmod(played, s->duration)));
}

Value soundGetBytes(Runtime&, NativeCall& c)
{
    const SoundState* s = stateOfCall(c);
    return s && s->soundId ? Value(0) : Value();
}

Value soundInert(Runtime&, NativeCall&) { return {}; }

} // namespace

void finishSounds(Runtime& rt)
{
    std::vector<Object*>& playing = rt.extension<PlayingSounds>().sounds;
    const double now = rt.elapsedMs();
    std::vector<Object*> ended;
    std::erase_if(playing, [&](Object* o) {
        auto* s = stateOf<SoundState>(o);
        if (s && s->playing && now < s->endsAt())
            return false;
        if (s && s->playing) {
            s->playing = false;
            ended.push_back(o);
        }
        return true;
    });
    for (Object* o : ended) {
        rt.callFromPlayer(rt.get(o, QStringLiteral("onSoundComplete")), Value(o), {});
        rt.runQueue();
    }
}

bool hasPlayingSounds(Runtime& rt) { return !rt.extension<PlayingSounds>().sounds.empty(); }

void installSoundBuiltins(Runtime& rt, Object* global)
{
    Object* proto = rt.newObject();
    Object* sound = rt.newClass(constructOnClip<SoundState>, proto);
    defineMethods(rt, proto,
                  {{"getPan", soundGetPan},
                   {"getTransform", soundGetTransform},
                   {"getVolume", soundGetVolume},
                   {"setPan", soundSetPan},
                   {"setTransform", soundSetTransform},
                   {"setVolume", soundSetVolume},
                   {"stop", soundStop},
                   {"attachSound", soundAttachSound},
                   {"start", soundStart},
                   {"getDuration", soundGetDuration},
                   {"setDuration", soundInert},
                   {"getPosition", soundGetPosition},
                   {"setPosition", soundInert},
                   {"loadSound", soundInert},
                   {"getBytesLoaded", soundGetBytes},
                   {"getBytesTotal", soundGetBytes}});
    defineAccessors(rt, proto,
                    {{"duration", soundGetDuration, nullptr, 7}, {"position", soundGetPosition, nullptr, 7}});
    rt.define(global, QStringLiteral("Sound"), Value(sound), DontEnum);
}

} // namespace movie::avm1
