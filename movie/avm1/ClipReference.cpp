#include "movie/avm1/ClipReference.h"

#include "movie/DisplayList.h"

namespace movie::avm1 {

Object* runningClip(Runtime& rt)
{
    if (Activation* a = rt.current()) {
        if (a->target && rt.clipOf(a->target))
            return a->target;
        if (a->baseClip && rt.clipOf(a->baseClip))
            return a->baseClip;
    }
    SpriteInstance* root = rt.host().level(0);
    return root ? rt.clipObject(*root) : nullptr;
}

ClipReference::ClipReference(Runtime& rt, const Value& target)
{
    if (target.isNullish())
        return;
    set_ = true;
    base_ = runningClip(rt);
    if (auto clip = rt.clipOf(target))
        path_ = rt.targetPath(*clip);
    else
        path_ = rt.toString(target);
}

std::shared_ptr<SpriteInstance> ClipReference::resolve(Runtime& rt) const
{
    if (!set_ || !base_)
        return nullptr;
    Activation scratch;
    Activation* a = rt.current();
    if (!a) {
        scratch.scope = rt.timelineScope(base_);
        scratch.baseClip = scratch.target = base_;
        scratch.thisValue = Value(base_);
        scratch.version = rt.version();
        a = &scratch;
    }
    // A path from a removed clip finds nothing.
    if (!rt.clipOf(base_) && !path_.startsWith(QLatin1String("_level")) && !path_.startsWith(u'/'))
        return nullptr;
    return rt.clipOf(rt.resolveTargetPath(*a, base_, path_, true, false));
}

} // namespace movie::avm1
