#pragma once

#include "movie/avm1/Runtime.h"

namespace movie::avm1 {

// The clip a Sound or Color object works on, kept as the player keeps it:
// a target path, found anew at every use, so that a clip renamed or removed
// is no longer found and one that takes its place is. A clip given as an
// object counts by its full path; any other value by its text, a path from
// the clip whose code made the object.
class ClipReference {
public:
    ClipReference() = default;
    // Converting `target` to text may run a script, and throw.
    ClipReference(Runtime& rt, const Value& target);

    bool isSet() const { return set_; }
    // The clip the path leads to now; null when none does.
    std::shared_ptr<SpriteInstance> resolve(Runtime& rt) const;
    void trace(Tracer& tracer) const { tracer.mark(base_); }

private:
    bool set_ = false;
    Object* base_ = nullptr; // where a relative path starts
    QString path_;
};

// The constructor of a class whose objects work on a clip (`new
// Color(target)`): gives the fresh object its State, with the reference.
template <class State>
Value constructOnClip(Runtime& rt, NativeCall& c)
{
    if (!c.self || !c.constructing)
        return {};
    auto state = std::make_unique<State>();
    state->clip = ClipReference(rt, c.arg(0));
    c.self->state = std::move(state);
    return {};
}

// The clip whose code runs now, or the root when none does.
Object* runningClip(Runtime& rt);

} // namespace movie::avm1
