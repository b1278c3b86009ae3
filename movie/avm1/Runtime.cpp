#include "movie/avm1/Runtime.h"

#include "movie/DisplayList.h"
#include "movie/Interruption.h"
#include "movie/Limits.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/NumberText.h"
#include "movie/draw/EditField.h"

#include <QScopeGuard>
#include <cmath>

namespace movie::avm1 {

namespace {

const QString kProto = QStringLiteral("__proto__");

// "12" and "0" are array indices; "012", "-1" and "1.5" are not.
bool arrayIndex(const QString& name, quint32& index)
{
    if (name.isEmpty() || name.size() > 10 || (name.size() > 1 && name[0] == u'0'))
        return false;
    quint64 v = 0;
    for (const QChar c : name) {
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c.unicode() - u'0');
    }
    if (v >= 4294967295ull)
        return false;
    index = static_cast<quint32>(v);
    return true;
}

} // namespace

CallDepth::CallDepth(Runtime& rt) : rt(rt)
{
    if (++rt.depth_ > limits::kMaxCallDepth) {
        --rt.depth_;
        rt.aborted_ = true;
        throw ScriptAbort{};
    }
}

Runtime::Runtime(Host& host, int version) : host_(host), version_(version)
{
    heap_.setRoots([this](Tracer& tracer) { traceRoots(tracer); });
    installBuiltins();
    beginStep();
}

quint32 Runtime::nextRandom()
{
    // The high bits of the congruential sequence; its low bits repeat soon.
    randomState_ = randomState_ * 1103515245u + 12345u;
    return randomState_ >> 1;
}

Runtime::~Runtime() = default;

bool Runtime::sameName(const QString& a, const QString& b) const
{
    return a.compare(b, caseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
}

// --- The frame's actions

void Runtime::queueCode(SpriteInstance& clip, const QByteArray& code, Priority priority, bool unload)
{
    Queued q;
    q.clip = clip.weak_from_this();
    q.code = code;
    q.unload = unload;
    queues_[static_cast<int>(priority)].push_back(std::move(q));
}

void Runtime::queueMethod(SpriteInstance& clip, const QString& name, bool unload)
{
    Queued q;
    q.clip = clip.weak_from_this();
    q.method = name;
    q.unload = unload;
    queues_[static_cast<int>(Priority::Normal)].push_back(std::move(q));
}

void Runtime::dispatchEvent(SpriteInstance& clip, quint32 event, const char* method)
{
    if (version_ < 5)
        return;
    const bool unload = event == ClipAction::Unload;
    if (clip.clipActions)
        for (const ClipAction& action : *clip.clipActions)
            if (action.events & event)
                queueCode(clip, action.actions, Priority::Normal, unload);
    if (version_ >= 6 && method)
        queueMethod(clip, QString::fromLatin1(method), unload);
}

void Runtime::runQueue()
{
    for (;;) {
        std::deque<Queued>* queue = nullptr;
        for (auto& q : queues_)
            if (!q.empty()) {
                queue = &q;
                break;
            }
        if (!queue || aborted_)
            break;
        const Queued q = std::move(queue->front());
        queue->pop_front();
        runQueued(q);
    }
    for (auto& q : queues_)
        q.clear();
}

void Runtime::runQueued(const Queued& q)
{
    const std::shared_ptr<SpriteInstance> clip = q.clip.lock();
    // A clip taken off the display list runs no more frame actions; its
    // unload handler is the exception.
    if (!clip || ((clip->removed || clip->pendingRemoval) && !q.unload))
        return;
    try {
        if (q.construct) {
            constructQueued(*clip, q);
        } else if (!q.method.isEmpty()) {
            Object* self = clipObject(*clip);
            const Value handler = get(self, q.method);
            if (handler.object() && handler.object()->isFunction())
                call(handler, Value(self), {});
        } else {
            runCode(*clip, q.code);
        }
    } catch (const ScriptThrow& thrown) {
        warnUncaught(thrown.value); // it ends the script, nothing more
    } catch (const ScriptAbort&) {
        aborted_ = true;
    }
}

void Runtime::callFromPlayer(const Value& function, const Value& thisValue, std::span<const Value> args)
{
    if (aborted_)
        return;
    try {
        call(function, thisValue, args);
    } catch (const ScriptThrow& thrown) {
        warnUncaught(thrown.value);
    } catch (const ScriptAbort&) {
        aborted_ = true;
    }
}

void Runtime::warnUncaught(const Value& thrown)
{
    try {
        host_.trace(QStringLiteral("Warning: Uncaught exception, ") + toString(thrown));
    } catch (const ScriptThrow&) {
    } catch (const ScriptAbort&) {
        aborted_ = true;
    }
}

void Runtime::runInitCode(SpriteInstance& clip, const QByteArray& code)
{
    if (aborted_)
        return;
    try {
        runCode(clip, code);
    } catch (const ScriptThrow& thrown) {
        warnUncaught(thrown.value);
    } catch (const ScriptAbort&) {
        aborted_ = true;
    }
}

void Runtime::runCode(SpriteInstance& clip, const QByteArray& code)
{
    Object* self = clipObject(clip);
    Activation a;
    a.code = code;
    a.end = static_cast<int>(code.size());
    a.scope = timelineScope(self);
    a.thisValue = Value(self);
    a.baseClip = self;
    a.target = self;
    a.version = version_;
    execute(a);
}

void Runtime::beginStep()
{
    workLeft_ = limits::kMaxScriptWorkPerStep;
    aborted_ = false;
    stack_.clear();
    for (Value& r : registers)
        r = Value();
}

void Runtime::spend(qint64 units)
{
    workLeft_ -= units;
    if (++spends_ % 4096 == 0 && interruptionRequested())
        aborted_ = true; // the player is let go: its scripts end here
    if (workLeft_ < 0 || aborted_ || heap_.overBudget()) {
        QString why;
        if (heap_.overBudget())
            why = QStringLiteral("the scripts hold more than %1 MB: they are stopped for this frame")
                      .arg(limits::kMaxScriptHeapBytes >> 20);
        else if (workLeft_ < 0)
            why = QStringLiteral("the scripts of a frame did more than %1 steps of work: they are stopped for "
                                 "this frame")
                      .arg(limits::kMaxScriptWorkPerStep);
        if (!why.isEmpty())
            warn(why);
        aborted_ = true;
        throw ScriptAbort{};
    }
}

void Runtime::traceRoots(Tracer& tracer)
{
    tracer.mark(global_);
    for (Object* p : {protos.object, protos.function, protos.array, protos.string, protos.number, protos.boolean,
                      protos.movieClip, protos.error, protos.button, protos.textField, protos.textFormat})
        tracer.mark(p);
    for (const Value& v : stack_)
        tracer.mark(v);
    for (Object* c : std::as_const(classes_))
        tracer.mark(c);
    for (const auto& e : extensions_)
        e->trace(tracer);
    tracer.mark(globalScope_);
    for (const Value& r : registers)
        tracer.mark(r);
    for (const Activation* a = current_; a; a = a->outer) {
        tracer.mark(a->scope);
        tracer.mark(a->thisValue);
        tracer.mark(a->baseClip);
        tracer.mark(a->target);
        tracer.mark(a->callee);
        for (const Value& r : a->registers)
            tracer.mark(r);
    }
    tracer.mark(focus.object);
    std::vector<std::weak_ptr<SpriteInstance>> live;
    for (auto& weak : clips_) {
        if (auto clip = weak.lock()) {
            tracer.mark(clip->object);
            live.push_back(std::move(weak));
        }
    }
    clips_ = std::move(live);
    for (const LoadRequest& load : loads_) {
        tracer.mark(load.target);
        tracer.mark(load.loader);
    }
    std::erase_if(fields_, [](const std::weak_ptr<EditField>& f) { return f.expired(); });
    for (const auto& weak : fields_)
        if (auto field = weak.lock())
            tracer.mark(field->object);
}

void Runtime::collectIfDue()
{
    if (!heap_.collectionDue())
        return;
    Tracer tracer;
    traceRoots(tracer);
    heap_.collect(tracer);
}

// Symbols are named as the movie exports them, and export names match
// without regard to case in every version (see attachMovie).
void Runtime::registerClass(const QString& symbol, Object* constructor)
{
    if (constructor)
        classes_.insert(symbol.toLower(), constructor);
    else
        classes_.remove(symbol.toLower());
}

Object* Runtime::registeredClass(const QString& symbol) const { return classes_.value(symbol.toLower()); }

// --- Clips

Object* Runtime::clipObject(SpriteInstance& clip)
{
    if (!clip.object) {
        auto* o = heap_.make<Object>(Object::Kind::Clip);
        const DisplayObject* placed = host_.placement(clip);
        const bool button = placed && placed->character && protos.button
            && placed->character->scriptKind == Character::ScriptKind::Button;
        define(o, kProto, Value(button ? protos.button : protos.movieClip), DontEnum | DontDelete);
        o->clip = clip.weak_from_this();
        o->clipPath = targetPath(clip);
        clip.object = o;
        clips_.push_back(clip.weak_from_this());
    }
    return clip.object;
}

Value Runtime::childValue(SpriteInstance& parent, const DisplayObject& child)
{
    if (child.sprite)
        return Value(clipObject(*child.sprite));
    if (child.field)
        return Value(fieldObject(*child.field));
    return Value(clipObject(parent));
}

std::shared_ptr<SpriteInstance> Runtime::clipOf(Object* object)
{
    if (!object || object->kind != Object::Kind::Clip)
        return nullptr;
    auto clip = object->clip.lock();
    if (clip && !clip->removed)
        return clip;
    // A clip taken away: one standing at its path now takes its part.
    const QString& path = object->clipPath;
    if (!path.startsWith(QLatin1String("_level")))
        return nullptr;
    const qsizetype dot = path.indexOf(u'.');
    bool ok = false;
    const int level = QStringView(path).mid(6, dot < 0 ? -1 : dot - 6).toInt(&ok);
    SpriteInstance* at = ok ? host_.level(level) : nullptr;
    if (!at)
        return nullptr;
    if (dot >= 0) {
        for (const QString& name : path.mid(dot + 1).split(u'.')) {
            SpriteInstance* next = nullptr;
            for (auto& [depth, child] : at->objects)
                if (child.sprite && sameName(child.name, name)) {
                    next = child.sprite.get();
                    break;
                }
            if (!next)
                return nullptr;
            at = next;
        }
    }
    return at->shared_from_this();
}

QString Runtime::targetPath(SpriteInstance& clip, bool slashes)
{
    std::vector<QString> names;
    SpriteInstance* at = &clip;
    for (int guard = 0; guard < limits::kMaxNesting + 2; ++guard) {
        auto parent = at->parent.lock();
        if (!parent)
            break;
        const DisplayObject* placed = host_.placement(*at);
        names.push_back(placed ? placed->name : QString());
        at = parent.get();
    }
    QString path;
    if (slashes) {
        for (size_t i = names.size(); i-- > 0;)
            path += u'/' + names[i];
        if (path.isEmpty())
            path = QStringLiteral("/");
        if (at->depth != 0)
            path = QStringLiteral("_level%1").arg(at->depth) + path;
        return path;
    }
    path = QStringLiteral("_level%1").arg(at->depth);
    for (size_t i = names.size(); i-- > 0;)
        path += u'.' + names[i];
    return path;
}

// --- Objects

Object* Runtime::newObject() { return newObject(protos.object); }

Object* Runtime::newObject(Object* proto)
{
    if (heap_.size() >= limits::kMaxScriptObjects) {
        aborted_ = true;
        throw ScriptAbort{};
    }
    auto* o = heap_.make<Object>();
    if (proto)
        define(o, kProto, Value(proto), DontEnum | DontDelete);
    return o;
}

Object* Runtime::newArray(std::span<const Value> items)
{
    Object* a = newObject(protos.array);
    a->kind = Object::Kind::Array;
    define(a, QStringLiteral("length"), Value(0), DontEnum | DontDelete);
    for (size_t i = 0; i < items.size(); ++i)
        set(a, QString::number(i), items[i]);
    return a;
}

Object* Runtime::newFunction(NativeFunction fn, NativeFunction constructor)
{
    Object* f = newObject(protos.function);
    f->kind = Object::Kind::Function;
    f->native = fn;
    f->nativeConstructor = constructor;
    return f;
}

Object* Runtime::newClass(NativeFunction fn, Object* prototype, NativeFunction constructor)
{
    Object* f = newFunction(fn, constructor);
    define(f, QStringLiteral("prototype"), Value(prototype), DontEnum | DontDelete);
    define(prototype, QStringLiteral("constructor"), Value(f), DontEnum | DontDelete);
    return f;
}

void Runtime::method(Object* on, const char* name, NativeFunction fn, quint8 attributes)
{
    define(on, QString::fromLatin1(name), Value(newFunction(fn)), attributes);
}

Object* Runtime::protoOf(Object* o)
{
    if (!o)
        return nullptr;
    const Property* p = o->properties.find(kProto);
    return p && !p->isVirtual() ? p->value.object() : nullptr;
}

Value Runtime::get(const Value& v, const QString& name)
{
    if (Object* o = v.object())
        return get(o, name);
    if (v.isNullish())
        return {};
    return get(toObject(v), name);
}

namespace {

// A clip's own names besides its variables: _root, _parent, _global and
// _levelN, its children, and its display properties.
bool clipLookup(Runtime& rt, Object* o, const QString& name, Value& out)
{
    auto clip = rt.clipOf(o);
    if (!clip)
        return false;
    const bool magic = name.startsWith(u'_');
    if (magic && rt.version() >= 5) {
        if (rt.sameName(name, QStringLiteral("_root"))) {
            out = Value(rt.clipObject(*rt.rootClip(clip.get())));
            return true;
        }
        if (rt.sameName(name, QStringLiteral("_parent"))) {
            auto parent = clip->parent.lock();
            out = parent ? Value(rt.clipObject(*parent)) : Value();
            return true;
        }
        if (rt.version() >= 6 && rt.sameName(name, QStringLiteral("_global"))) {
            out = Value(rt.global());
            return true;
        }
    }
    if (magic && rt.version() >= 5 && name.size() > 6
        && (name.left(6).compare(QLatin1String("_level"), rt.caseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive)
            == 0)) {
        SpriteInstance* level = rt.host().level(levelNumber(QStringView(name).mid(6)));
        out = level ? Value(rt.clipObject(*level)) : Value();
        return true;
    }
    for (auto& [depth, child] : clip->objects) {
        if (!child.name.isEmpty() && rt.sameName(child.name, name)) {
            out = rt.childValue(*clip, child);
            return true;
        }
    }
    if (magic) {
        const int index = Runtime::propertyIndex(name);
        if (index >= 0) {
            out = rt.getProperty(*clip, index);
            return true;
        }
    }
    return false;
}

} // namespace

Object* Runtime::superBaseOf(Object* zuper) { return zuper->superBase ? zuper->superBase : protoOf(zuper->superThis); }

Value Runtime::get(Object* o, const QString& name)
{
    if (!o)
        return {};
    Value thisValue(o);
    if (o->kind == Object::Kind::Super) {
        thisValue = Value(o->superThis);
        o = protoOf(superBaseOf(o));
    }
    const QString k = key(name);
    for (int depth = 0; o && depth < kMaxProtoDepth; ++depth) {
        if (const Property* p = o->properties.find(k); p && p->minVersion <= version_) {
            if (p->isVirtual())
                return call(Value(p->getter), thisValue, {});
            return p->value;
        }
        if (o->kind == Object::Kind::Clip) {
            Value v;
            if (clipLookup(*this, o, name, v))
                return v;
        }
        if (o->kind == Object::Kind::TextField && name.startsWith(u'_')) {
            const int index = propertyIndex(name);
            if (auto field = fieldOf(o); field && index >= 0)
                return getFieldProperty(*field, index);
        }
        o = protoOf(o);
    }
    return {};
}

void Runtime::set(Object* o, const QString& name, const Value& value)
{
    if (!o || name.isEmpty())
        return;
    if (o->kind == Object::Kind::Super)
        return; // `super` takes no properties
    Object* self = o;
    const QString k = key(name);
    if (watchedSet(o, k, name, value))
        return;
    if (self->kind == Object::Kind::Array) {
        quint32 index = 0;
        if (k == QLatin1String("length")) {
            const Property* lengthProperty = self->properties.find(k);
            const double old = lengthProperty ? toNumber(lengthProperty->value) : 0;
            const qint64 newLength = std::max<qint64>(0, toInt32(value));
            for (qint64 i = newLength; i < qint64(old) && i < newLength + limits::kMaxArrayLength; ++i)
                self->properties.remove(QString::number(i));
        } else if (arrayIndex(name, index)) {
            Property* lengthProperty = self->properties.find(QStringLiteral("length"));
            if (lengthProperty && index >= toNumber(lengthProperty->value))
                lengthProperty->value = Value(double(index) + 1);
        }
    }
    Property* own = self->properties.find(k);
    if (own && own->minVersion > version_)
        own = nullptr;
    if (!own && self->kind == Object::Kind::Clip) {
        const int index = propertyIndex(name);
        if (index >= 0) {
            if (auto clip = clipOf(self)) {
                setProperty(*clip, index, value);
                return;
            }
        }
    }
    if (!own && self->kind == Object::Kind::TextField) {
        const int index = propertyIndex(name);
        if (auto field = fieldOf(self); field && index >= 0) {
            setFieldProperty(*field, index, value);
            return;
        }
    }
    if (!own) {
        // A setter defined up the prototype chain takes the value.
        Object* p = protoOf(self);
        for (int depth = 0; p && depth < kMaxProtoDepth; ++depth, p = protoOf(p)) {
            const Property* inherited = p->properties.find(k);
            if (inherited && inherited->isVirtual() && inherited->minVersion <= version_) {
                if (inherited->setter)
                    call(Value(inherited->setter), Value(self), std::span<const Value>(&value, 1));
                return;
            }
        }
        Property& added = self->properties.add(k, name);
        added.value = value;
        heap_.charge(PropertyMap::propertyBytes() + Tracer::bytesOf(k));
        heap_.charge(value);
        return;
    }
    if (own->isVirtual()) {
        if (Object* setter = own->setter)
            call(Value(setter), Value(self), std::span<const Value>(&value, 1));
        return;
    }
    if (own->attributes & ReadOnly)
        return;
    own->value = value;
    heap_.charge(value);
}

bool Runtime::watchedSet(Object* o, const QString& k, const QString& name, const Value& value)
{
    const auto find = [&] {
        return std::find_if(o->watches.begin(), o->watches.end(), [&](const Object::Watch& w) { return w.key == k; });
    };
    auto w = find();
    if (w == o->watches.end() || w->running)
        return false;
    // The callback sees the name, the value the object itself holds and the
    // new one; what it returns is what is set.
    w->running = true;
    // Done however the callback ends, a script's throw included.
    const auto done = qScopeGuard([&] {
        if (auto again = find(); again != o->watches.end())
            again->running = false;
    });
    const Property* own = o->properties.find(k);
    const Value args[] = {Value(name), own && !own->isVirtual() ? own->value : Value(), value, w->userData};
    const Value stored = call(Value(w->callback), Value(o), args);
    set(o, name, stored);
    return true;
}

void Runtime::define(Object* o, const QString& name, const Value& value, quint8 attributes)
{
    const QString k = key(name);
    Property* p = o->properties.find(k);
    if (!p) {
        p = &o->properties.add(k, name);
        heap_.charge(PropertyMap::propertyBytes() + Tracer::bytesOf(k));
    }
    p->value = value;
    heap_.charge(value);
    p->getter = p->setter = nullptr;
    p->attributes = attributes;
}

bool Runtime::hasOwnProperty(Object* o, const QString& name)
{
    if (!o)
        return false;
    const Property* p = o->properties.find(key(name));
    if (p && p->minVersion <= version_)
        return true;
    if (o->kind == Object::Kind::Clip) {
        Value ignored;
        return clipLookup(*this, o, name, ignored);
    }
    return false;
}

bool Runtime::hasProperty(Object* o, const QString& name)
{
    for (int depth = 0; o && depth < kMaxProtoDepth; ++depth, o = protoOf(o))
        if (hasOwnProperty(o, name))
            return true;
    return false;
}

bool Runtime::deleteProperty(Object* o, const QString& name)
{
    if (!o)
        return false;
    const QString k = key(name);
    const Property* p = o->properties.find(k);
    if (!p || (p->attributes & DontDelete))
        return false;
    return o->properties.remove(k);
}

QStringList Runtime::enumerate(Object* o)
{
    // The player visits the prototype's names first, then the object's own,
    // the most recently added first, then a clip's children, deepest first.
    // Names hidden from the file's version are visited all the same.
    std::vector<Object*> chain;
    for (Object* p = o; p && chain.size() < size_t(kMaxProtoDepth); p = protoOf(p))
        chain.push_back(p);
    QStringList listed;
    for (size_t c = chain.size(); c-- > 0;) {
        Object* level = chain[c];
        QStringList kept;
        for (const QString& name : std::as_const(listed))
            if (!level->properties.find(key(name)))
                kept << name;
        listed = std::move(kept);
        QStringList own;
        level->properties.forEach([&](const Property& p) {
            if (!(p.attributes & DontEnum))
                own << p.name;
        });
        for (qsizetype i = own.size(); i-- > 0;)
            listed << own[i];
        if (auto clip = level->kind == Object::Kind::Clip ? clipOf(level) : nullptr) {
            QStringList children;
            for (const auto& [depth, child] : clip->objects)
                if (!child.name.isEmpty())
                    children << child.name;
            for (qsizetype i = children.size(); i-- > 0;)
                listed << children[i];
        }
    }
    return listed;
}

bool Runtime::isInstanceOf(Object* o, Object* prototype)
{
    if (!prototype)
        return false;
    Object* p = protoOf(o);
    for (int depth = 0; p && depth < kMaxProtoDepth; ++depth, p = protoOf(p)) {
        spend();
        if (p == prototype)
            return true;
    }
    return false;
}

bool Runtime::instanceOf(const Value& object, const Value& constructor)
{
    Object* o = object.object();
    Object* c = constructor.object();
    Object* prototype = c ? get(c, QStringLiteral("prototype")).object() : nullptr;
    if (!o || !prototype)
        return false;
    // Interfaces extend interfaces: a bounded walk through them all.
    std::vector<Object*> pending;
    Object* p = protoOf(o);
    for (int depth = 0; p && depth < kMaxProtoDepth; ++depth, p = protoOf(p)) {
        spend();
        if (p == prototype)
            return true;
        pending.insert(pending.end(), p->interfaces.begin(), p->interfaces.end());
    }
    for (size_t i = 0; i < pending.size() && i < size_t(kMaxProtoDepth); ++i) {
        spend();
        Object* interfacePrototype = get(pending[i], QStringLiteral("prototype")).object();
        if (interfacePrototype == prototype)
            return true;
        if (interfacePrototype)
            pending.insert(pending.end(), interfacePrototype->interfaces.begin(), interfacePrototype->interfaces.end());
    }
    return false;
}

// --- Conversions

bool Runtime::toBoolean(const Value& v) const
{
    switch (v.type()) {
    case Value::Type::Boolean:
        return v.boolean();
    case Value::Type::Number:
        return !std::isnan(v.number()) && v.number() != 0;
    case Value::Type::String: {
        if (version_ >= 7)
            return !v.string().isEmpty();
        const double n = stringToNumber(v.string(), version_);
        return !std::isnan(n) && n != 0;
    }
    case Value::Type::Object:
        return true;
    default:
        return false;
    }
}

Value Runtime::toPrimitive(const Value& v)
{
    Object* o = v.object();
    if (!o || o->kind == Object::Kind::Clip || o->kind == Object::Kind::TextField)
        return v;
    return callMethod(v, QStringLiteral("valueOf"), {});
}

double Runtime::toNumber(const Value& v)
{
    const Value p = v.isObject() ? toPrimitive(v) : v;
    switch (p.type()) {
    case Value::Type::Undefined:
    case Value::Type::Null:
        return version_ < 7 ? 0 : std::nan("");
    case Value::Type::Boolean:
        return p.boolean() ? 1 : 0;
    case Value::Type::Number:
        return p.number();
    case Value::Type::String:
        return stringToNumber(p.string(), version_);
    case Value::Type::Object:
        break;
    }
    return version_ < 5 ? 0 : std::nan("");
}

qint32 Runtime::toInt32(const Value& v) { return avm1::toInt32(toNumber(v)); }

QString Runtime::toString(const Value& v)
{
    switch (v.type()) {
    case Value::Type::Undefined:
        return version_ < 7 ? QString() : QStringLiteral("undefined");
    case Value::Type::Null:
        return QStringLiteral("null");
    case Value::Type::Boolean:
        if (version_ < 5)
            return v.boolean() ? QStringLiteral("1") : QStringLiteral("0");
        return v.boolean() ? QStringLiteral("true") : QStringLiteral("false");
    case Value::Type::Number:
        return numberToString(v.number());
    case Value::Type::String:
        return v.string();
    case Value::Type::Object:
        break;
    }
    Object* o = v.object();
    if (o->kind == Object::Kind::String)
        return o->primitive.string();
    if (o->kind == Object::Kind::Clip) {
        if (auto clip = clipOf(o))
            return targetPath(*clip);
        return QString();
    }
    if (o->kind == Object::Kind::TextField) {
        if (auto field = fieldOf(o))
            return fieldPath(*field);
        return QString();
    }
    const Value s = callMethod(v, QStringLiteral("toString"), {});
    if (s.isString())
        return s.string();
    return o->isFunction() ? QStringLiteral("[type Function]") : QStringLiteral("[type Object]");
}

Object* Runtime::toObject(const Value& v)
{
    switch (v.type()) {
    case Value::Type::Object:
        return v.object();
    case Value::Type::Boolean:
    case Value::Type::Number:
    case Value::Type::String: {
        Object* proto = v.isBoolean() ? protos.boolean : v.isNumber() ? protos.number : protos.string;
        // The player boxes a value with whatever the global of its type's
        // name holds when it does: a script's class is constructed with it,
        // and a value that is no class boxes nothing.
        const Value constructor = get(global_,
                                      v.isBoolean()      ? QStringLiteral("Boolean")
                                          : v.isNumber() ? QStringLiteral("Number")
                                                         : QStringLiteral("String"));
        Object* f = constructor.object();
        if (!f || !f->isFunction())
            return nullptr;
        if (!f->native || get(f, QStringLiteral("prototype")).object() != proto)
            return construct(constructor, std::span(&v, 1)).object();
        Object* boxed = newObject(proto);
        boxed->kind = v.isBoolean() ? Object::Kind::Boolean
            : v.isNumber()          ? Object::Kind::Number
                                    : Object::Kind::String;
        boxed->primitive = v;
        if (v.isString())
            define(boxed, QStringLiteral("length"), Value(int(v.string().size())), DontEnum | DontDelete | ReadOnly);
        return boxed;
    }
    default:
        return nullptr;
    }
}

QString Runtime::typeOf(const Value& v)
{
    switch (v.type()) {
    case Value::Type::Undefined:
        return QStringLiteral("undefined");
    case Value::Type::Null:
        return QStringLiteral("null");
    case Value::Type::Boolean:
        return QStringLiteral("boolean");
    case Value::Type::Number:
        return QStringLiteral("number");
    case Value::Type::String:
        return QStringLiteral("string");
    case Value::Type::Object:
        break;
    }
    if (v.object()->isFunction())
        return QStringLiteral("function");
    if (v.object()->kind == Object::Kind::Clip) {
        // A button plays as a sprite here, but scripts know it as an object.
        auto clip = clipOf(v.object());
        const DisplayObject* placed = clip ? host_.placement(*clip) : nullptr;
        if (placed && placed->character && placed->character->scriptKind == Character::ScriptKind::Button)
            return QStringLiteral("object");
        return QStringLiteral("movieclip");
    }
    return QStringLiteral("object");
}

QString Runtime::checkedString(QString s)
{
    if (s.size() > limits::kMaxStringLength) {
        aborted_ = true;
        throw ScriptAbort{};
    }
    spend(1 + s.size() / 4096);
    return s;
}

// --- Calls

Value Runtime::call(const Value& function, const Value& thisValue, std::span<const Value> args)
{
    Object* f = function.object();
    if (!f || !f->isFunction())
        return {};
    return invoke(f, thisValue, args, false);
}

Value Runtime::callMethod(const Value& on, const QString& name, std::span<const Value> args)
{
    const Value f = get(on, name);
    return call(f, on.isObject() ? on : Value(toObject(on)), args);
}

Value Runtime::construct(const Value& constructor, std::span<const Value> args)
{
    Object* f = constructor.object();
    if (!f || !f->isFunction())
        return {};
    const Value prototype = get(f, QStringLiteral("prototype"));
    Object* self = newObject(prototype.object());
    if (!prototype.isObject() && !prototype.isUndefined())
        define(self, kProto, prototype, DontEnum | DontDelete); // kept as it is: the object inherits nothing
    constructionRefused_ = false;
    Value result = constructOn(self, f, args);
    if (std::exchange(constructionRefused_, false))
        return {};
    if (f->native && result.isObject())
        return result;
    return Value(self);
}

Value Runtime::constructOn(Object* self, Object* constructor, std::span<const Value> args)
{
    define(self, QStringLiteral("__constructor__"), Value(constructor), DontEnum);
    if (version_ < 7)
        define(self, QStringLiteral("constructor"), Value(constructor), DontEnum);
    return invoke(constructor, Value(self), args, true, protoOf(self));
}

} // namespace movie::avm1
