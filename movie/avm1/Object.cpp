#include "movie/avm1/Object.h"

namespace movie::avm1 {

Property* PropertyMap::find(const QString& key)
{
    const auto it = index_.constFind(key);
    return it == index_.cend() ? nullptr : &slots_[size_t(*it)].property;
}

const Property* PropertyMap::find(const QString& key) const
{
    const auto it = index_.constFind(key);
    return it == index_.cend() ? nullptr : &slots_[size_t(*it)].property;
}

Property& PropertyMap::add(const QString& key, const QString& name)
{
    index_.insert(key, static_cast<int>(slots_.size()));
    slots_.push_back(Slot{key, Property{}, true});
    Property& p = slots_.back().property;
    p.name = name;
    return p;
}

bool PropertyMap::remove(const QString& key)
{
    const auto it = index_.find(key);
    if (it == index_.end())
        return false;
    Slot& slot = slots_[size_t(*it)];
    slot.alive = false;
    slot.property = Property{};
    index_.erase(it);
    // Dead slots are dropped once they are the majority.
    if (++dead_ > 16 && dead_ * 2 > int(slots_.size())) {
        std::vector<Slot> live;
        live.reserve(size_t(index_.size()));
        for (Slot& s : slots_)
            if (s.alive)
                live.push_back(std::move(s));
        slots_ = std::move(live);
        index_.clear();
        for (size_t i = 0; i < slots_.size(); ++i)
            index_.insert(slots_[i].key, int(i));
        dead_ = 0;
    }
    return true;
}

void Object::traceChildren(Tracer& tracer) const
{
    properties.forEach([&](const Property& p) {
        tracer.mark(p.value);
        tracer.mark(p.getter);
        tracer.mark(p.setter);
    });
    tracer.mark(primitive);
    tracer.mark(superThis);
    tracer.mark(superBase);
    if (script) {
        tracer.mark(script->scope);
        tracer.mark(script->baseClip);
    }
}

void Scope::traceChildren(Tracer& tracer) const
{
    tracer.mark(values);
    tracer.mark(parent);
}

} // namespace movie::avm1
