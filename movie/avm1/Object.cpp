#include "movie/avm1/Object.h"

namespace movie::avm1 {

int PropertyMap::indexOf(const QString& key) const
{
    if (!index_.isEmpty())
        return index_.value(key, -1);
    for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].alive && slots_[i].key == key)
            return static_cast<int>(i);
    return -1;
}

void PropertyMap::rebuildIndex()
{
    index_.clear();
    if (live_ < kIndexedFrom)
        return;
    for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].alive)
            index_.insert(slots_[i].key, int(i));
}

Property* PropertyMap::find(const QString& key)
{
    const int i = indexOf(key);
    return i < 0 ? nullptr : &slots_[size_t(i)].property;
}

const Property* PropertyMap::find(const QString& key) const
{
    const int i = indexOf(key);
    return i < 0 ? nullptr : &slots_[size_t(i)].property;
}

Property& PropertyMap::add(const QString& key, const QString& name)
{
    slots_.push_back(Slot{key, Property{}, true});
    ++live_;
    if (!index_.isEmpty())
        index_.insert(key, static_cast<int>(slots_.size()) - 1);
    else if (live_ == kIndexedFrom)
        rebuildIndex();
    Property& p = slots_.back().property;
    p.name = name;
    return p;
}

bool PropertyMap::remove(const QString& key)
{
    const int i = indexOf(key);
    if (i < 0)
        return false;
    Slot& slot = slots_[size_t(i)];
    slot.alive = false;
    slot.property = Property{};
    slot.key.clear();
    --live_;
    index_.remove(key);
    // Dead slots are dropped once they are the majority.
    if (++dead_ > 16 && dead_ * 2 > int(slots_.size())) {
        std::vector<Slot> live;
        live.reserve(size_t(live_));
        for (Slot& s : slots_)
            if (s.alive)
                live.push_back(std::move(s));
        slots_ = std::move(live);
        dead_ = 0;
        rebuildIndex();
    }
    return true;
}

qint64 PropertyMap::propertyBytes()
{
    // A slot, and an index entry (a hash node: key, position, links).
    return sizeof(Slot) + sizeof(QString) + 32;
}

qint64 PropertyMap::bytes() const
{
    qint64 bytes = qint64(slots_.capacity()) * qint64(sizeof(Slot)) + index_.size() * (propertyBytes() - sizeof(Slot));
    for (const Slot& s : slots_) {
        if (!s.alive)
            continue;
        bytes += Tracer::bytesOf(s.key);
        if (s.property.name.constData() != s.key.constData())
            bytes += Tracer::bytesOf(s.property.name);
    }
    return bytes;
}

qint64 Object::ownBytes() const
{
    qint64 bytes = sizeof(Object) + properties.bytes() + (clipPath.isEmpty() ? 0 : Tracer::bytesOf(clipPath));
    for (const Watch& w : watches)
        bytes += qint64(sizeof(Watch)) + Tracer::bytesOf(w.key);
    if (script)
        bytes += sizeof(ScriptFunction) + qint64(script->params.size() * sizeof(ScriptFunction::Param));
    return bytes;
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
    for (Object* i : interfaces)
        tracer.mark(i);
    for (const Watch& w : watches) {
        tracer.mark(w.callback);
        tracer.mark(w.userData);
    }
    if (script) {
        tracer.mark(script->scope);
        tracer.mark(script->baseClip);
    }
    if (state)
        state->trace(tracer);
}

void Scope::traceChildren(Tracer& tracer) const
{
    tracer.mark(values);
    tracer.mark(parent);
}

} // namespace movie::avm1
