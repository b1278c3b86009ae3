#pragma once

#include "movie/avm1/Heap.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <memory>
#include <span>
#include <vector>

namespace movie {
struct SpriteInstance;
class EditField;
} // namespace movie

namespace movie::avm1 {

class Object;
class Runtime;
class Scope;

// Property attributes, as ASSetPropFlags numbers them.
enum Attribute : quint8 { DontEnum = 1, DontDelete = 2, ReadOnly = 4 };

struct Property {
    QString name; // as first defined
    Value value;
    Object* getter = nullptr; // addProperty: a getter makes the property virtual
    Object* setter = nullptr;
    quint8 attributes = 0;
    // Hidden from scripts of files older than this version (0: always seen).
    quint8 minVersion = 0;

    bool isVirtual() const { return getter != nullptr; }
};

// An object's own properties, in the order they were first defined; a
// property keeps its place when it is set again. Keys are the names as the
// file version compares them (folded to lower case up to version 6).
class PropertyMap {
public:
    Property* find(const QString& key);
    const Property* find(const QString& key) const;
    // Appends a property with this key; the caller checked there is none.
    Property& add(const QString& key, const QString& name);
    bool remove(const QString& key);
    qsizetype size() const { return live_; }
    // The memory the map takes: its slots, index and names.
    qint64 bytes() const;
    // What one more property adds, besides its names and value.
    static qint64 propertyBytes();

    template <class F>
    void forEach(F&& f) const
    {
        for (const Slot& s : slots_)
            if (s.alive)
                f(s.property);
    }

private:
    struct Slot {
        QString key;
        Property property;
        bool alive = true;
    };
    int indexOf(const QString& key) const;
    void rebuildIndex();

    // Most objects hold a few properties: they are searched in order, and
    // only larger ones get a hash index.
    static constexpr int kIndexedFrom = 12;
    std::vector<Slot> slots_;
    QHash<QString, int> index_;
    qsizetype live_ = 0;
    int dead_ = 0;
};

// The arguments of a call to a built-in function.
struct NativeCall {
    Value thisValue;
    Object* self = nullptr; // `this` when it is an object
    std::span<const Value> args;
    Object* callee = nullptr;
    bool constructing = false; // `new`: self is the fresh object

    Value arg(qsizetype i) const { return i < qsizetype(args.size()) ? args[size_t(i)] : Value(); }
    qsizetype count() const { return qsizetype(args.size()); }
};
using NativeFunction = Value (*)(Runtime& rt, NativeCall& call);

// The body of a function defined by a script.
struct ScriptFunction {
    QByteArray code; // the whole action block it came from (shared, not copied)
    int begin = 0, end = 0;
    QString name;
    struct Param {
        QString name;
        quint8 reg = 0; // DefineFunction2: the register that takes it, 0 for a variable
    };
    std::vector<Param> params;
    bool two = false; // DefineFunction2: registers and preload flags
    quint8 registerCount = 0;
    quint16 flags = 0;
    Scope* scope = nullptr; // the scope the function was defined in
    std::shared_ptr<const QStringList> constants;
    Object* baseClip = nullptr; // the clip whose code defined it
};

// What a built-in class keeps in its objects beyond their properties (a
// Sound's clip and sound, a Color's clip), made by its constructor.
class NativeState {
public:
    virtual ~NativeState() = default;
    virtual void trace(Tracer&) const {}
};

// A script object. One class serves every kind; the kind says which of
// the extra members count.
class Object : public GcCell {
public:
    enum class Kind : quint8 { Plain, Function, Array, Clip, Boolean, Number, String, Date, Super, TextField };

    explicit Object(Kind kind = Kind::Plain) : kind(kind) {}
    void traceChildren(Tracer& tracer) const override;
    qint64 ownBytes() const override;

    bool isFunction() const { return kind == Kind::Function; }

    Kind kind;
    PropertyMap properties;
    // Functions: one of the two bodies, and for built-in constructors the
    // body `new` runs when it differs from a plain call.
    NativeFunction native = nullptr;
    NativeFunction nativeConstructor = nullptr;
    std::unique_ptr<ScriptFunction> script;
    // Boolean, Number and String objects: the value they box; Date: its time.
    Value primitive;
    // Clips: the sprite, gone once it is removed, and its path then, by
    // which a later clip of the same path is found.
    std::weak_ptr<SpriteInstance> clip;
    QString clipPath;
    // Text fields: the field, gone once it is removed.
    std::weak_ptr<EditField> field;
    // `super`: the object the method runs on, and the object its method was
    // found on; names are looked up from that object's prototype on. Null:
    // the object's own prototype, as it is when `super` is used (a method
    // may give its object another prototype before it calls super()).
    Object* superThis = nullptr;
    Object* superBase = nullptr;
    // A class's prototype: the interfaces (their constructors) it implements.
    std::vector<Object*> interfaces;
    // Object.watch: the names watched, by key, each with the function that
    // sees a new value first, and what it was given to pass on.
    struct Watch {
        QString key;
        Object* callback = nullptr;
        Value userData;
        bool running = false; // the callback's own sets of the name go through
    };
    std::vector<Watch> watches;
    // Built-in objects: their native part, shared with what draws it.
    std::shared_ptr<NativeState> state;
};

// The native part of `o` if it is a `T`, else null.
template <class T>
T* stateOf(const Object* o)
{
    return o ? dynamic_cast<T*>(o->state.get()) : nullptr;
}

// A link of a scope chain: the global object, a clip's timeline, a
// function's locals, or the object of a `with` block.
class Scope : public GcCell {
public:
    enum class Kind : quint8 { Global, Target, Local, With };

    Scope(Kind kind, Object* values, Scope* parent) : kind(kind), values(values), parent(parent) {}
    void traceChildren(Tracer& tracer) const override;
    qint64 ownBytes() const override { return sizeof(Scope); }

    Kind kind;
    Object* values;
    Scope* parent;
};

} // namespace movie::avm1
