// Color: a clip's colour transform, as scripts set and read it in percent
// and offsets.

#include "movie/DisplayList.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/ClipReference.h"

#include <cmath>

namespace movie::avm1 {

namespace {

struct ColorState : NativeState {
    ClipReference clip;
    void trace(Tracer& tracer) const override { clip.trace(tracer); }
};

// The placed clip a Color object works on, or null.
DisplayObject* targetObject(Runtime& rt, NativeCall& c, std::shared_ptr<SpriteInstance>& clip)
{
    const auto* state = stateOf<ColorState>(c.self);
    clip = state ? state->clip.resolve(rt) : nullptr;
    return clip ? rt.host().placement(*clip) : nullptr;
}

void changed(Runtime& rt, SpriteInstance& clip)
{
    // From now on the timeline leaves the clip's transforms alone.
    clip.transformedByScript = true;
    rt.host().displayChanged();
}

// Multipliers are kept in 8.8 fixed point, as the player keeps them.
double multiplier(double percent)
{
    const double fixed = std::trunc(percent * 256 / 100);
    return std::isfinite(fixed) ? std::clamp(fixed, -32768.0, 32767.0) / 256 : 0;
}

double offset(double value) { return std::isfinite(value) ? std::clamp(std::trunc(value), -32768.0, 32767.0) : 0; }

Value colorSetRgb(Runtime& rt, NativeCall& c)
{
    std::shared_ptr<SpriteInstance> clip;
    DisplayObject* object = targetObject(rt, c, clip);
    if (!object || c.count() == 0)
        return {};
    const qint32 rgb = rt.toInt32(c.arg(0));
    ColorTransform& cx = object->colorTransform;
    cx.rm = cx.gm = cx.bm = 0;
    cx.ra = (rgb >> 16) & 0xFF;
    cx.ga = (rgb >> 8) & 0xFF;
    cx.ba = rgb & 0xFF;
    changed(rt, *clip);
    return {};
}

Value colorGetRgb(Runtime& rt, NativeCall& c)
{
    std::shared_ptr<SpriteInstance> clip;
    const DisplayObject* object = targetObject(rt, c, clip);
    if (!object)
        return {};
    const ColorTransform& cx = object->colorTransform;
    return Value((qint32(cx.ra) << 16) | (qint32(cx.ga) << 8) | qint32(cx.ba));
}

struct Channel {
    const char* multiplierName;
    const char* offsetName;
    double ColorTransform::*multiplier;
    double ColorTransform::*offset;
};

constexpr Channel kChannels[] = {{"ra", "rb", &ColorTransform::rm, &ColorTransform::ra},
                                 {"ga", "gb", &ColorTransform::gm, &ColorTransform::ga},
                                 {"ba", "bb", &ColorTransform::bm, &ColorTransform::ba},
                                 {"aa", "ab", &ColorTransform::am, &ColorTransform::aa}};

Value colorSetTransform(Runtime& rt, NativeCall& c)
{
    std::shared_ptr<SpriteInstance> clip;
    DisplayObject* object = targetObject(rt, c, clip);
    Object* from = c.arg(0).object();
    if (!object || !from)
        return {};
    // Only what the object names changes.
    ColorTransform cx = object->colorTransform;
    for (const Channel& channel : kChannels) {
        const QString m = QString::fromLatin1(channel.multiplierName);
        const QString o = QString::fromLatin1(channel.offsetName);
        if (rt.hasProperty(from, m))
            cx.*channel.multiplier = multiplier(rt.toNumber(rt.get(from, m)));
        if (rt.hasProperty(from, o))
            cx.*channel.offset = offset(rt.toNumber(rt.get(from, o)));
    }
    if (DisplayObject* still = rt.host().placement(*clip)) {
        still->colorTransform = cx;
        changed(rt, *clip);
    }
    return {};
}

Value colorGetTransform(Runtime& rt, NativeCall& c)
{
    std::shared_ptr<SpriteInstance> clip;
    const DisplayObject* object = targetObject(rt, c, clip);
    if (!object)
        return {};
    const ColorTransform cx = object->colorTransform;
    Object* out = rt.newObject();
    for (const Channel& channel : kChannels) {
        rt.set(out, QString::fromLatin1(channel.multiplierName), Value(cx.*channel.multiplier * 100));
        rt.set(out, QString::fromLatin1(channel.offsetName), Value(cx.*channel.offset));
    }
    return Value(out);
}

} // namespace

void installColorBuiltins(Runtime& rt, Object* global)
{
    Object* proto = rt.newObject();
    Object* color = rt.newClass(constructOnClip<ColorState>, proto);
    defineMethods(rt, proto,
                  {{"setRGB", colorSetRgb},
                   {"getRGB", colorGetRgb},
                   {"setTransform", colorSetTransform},
                   {"getTransform", colorGetTransform}});
    rt.define(global, QStringLiteral("Color"), Value(color), DontEnum);
}

} // namespace movie::avm1
