#pragma once

#include "movie/avm1/Object.h"

#include <QImage>
#include <QMargins>
#include <QRectF>
#include <QSet>
#include <QTransform>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

class QRectF;

namespace movie {
struct SpriteInstance;
struct DisplayObject;
struct SoundTransform;
class BitmapPixels;
struct ColorTransform;
struct Filter;
using FilterList = std::vector<Filter>;
class EditField;
} // namespace movie

namespace movie::avm1 {

// What scripts ask of the player that runs them: the clip tree, timeline
// control, and where traces go. The clip tree itself (sprites, their
// display lists and names) is read directly.
class Host {
public:
    virtual ~Host() = default;
    virtual void trace(const QString& message) = 0;
    virtual void quit() = 0;
    // stopAllSounds(): every sound of the movie ends.
    virtual void stopSounds() = 0;
    virtual SpriteInstance* level(int number) = 0;
    // The display object a sprite stands as in its parent (null for a level).
    virtual DisplayObject* placement(SpriteInstance& clip) = 0;
    // Something drawn changed.
    virtual void displayChanged() = 0;
    // Goes to a 0-based frame of the clip's timeline; past its end to the
    // last frame, without running that frame's scripts.
    virtual void gotoFrame(SpriteInstance& clip, int frame) = 0;
    virtual int framesLoaded(SpriteInstance& clip) = 0;
    virtual int bytesTotal(SpriteInstance& clip) = 0;
    // The name a clip's symbol is exported under, if any.
    virtual QString symbolName(SpriteInstance& clip) = 0;
    // Clips made by scripts, standing at `depth` of the parent's display
    // list (replacing what stood there), named, not yet constructed; null
    // when it cannot be done.
    virtual SpriteInstance* attachClip(SpriteInstance& parent, const QString& symbol, const QString& name,
                                       int depth) = 0;
    virtual SpriteInstance* createEmptyClip(SpriteInstance& parent, const QString& name, int depth) = 0;
    virtual SpriteInstance* duplicateClip(SpriteInstance& clip, const QString& name, int depth) = 0;
    // A clip's load event and first frame, as a step of the player runs them.
    virtual void runFirstFrame(SpriteInstance& clip) = 0;
    virtual void removeClip(SpriteInstance& clip) = 0;
    // Moves a clip to another depth of its parent, swapping with what stands there.
    virtual void swapDepths(SpriteInstance& clip, int depth) = 0;

    // --- What the player's built-in objects ask of it.
    // The stage: its rectangle in twips.
    virtual QRectF stageRect() = 0;
    // Whether the point (twips of the clip's root) falls on what the clip
    // draws, within the clip's mask if a script gave it one.
    virtual bool hitTestShape(SpriteInstance& clip, QPointF rootPoint) = 0;
    // Sound objects: a sound exported under `name` (its id, 0 for none, and
    // its length in milliseconds), started at `offset` seconds for `loops`
    // plays under `owner`'s sound transform (null: the movie's own), and
    // stopped: sound `id` (0: all) of `owner` (null: of the whole movie).
    virtual quint16 exportedSound(const QString& name, double& durationMs) = 0;
    virtual void startSound(quint16 id, double offset, int loops, SpriteInstance* owner) = 0;
    virtual void stopSound(quint16 id, SpriteInstance* owner) = 0;
    // The sound transform of the whole movie (a Sound object without a clip).
    virtual SoundTransform& movieSoundTransform() = 0;

    // Pictures scripts make (BitmapData): a picture of the library by the
    // name it is exported under (null for none); a picture shown at
    // `depth` of a clip (replacing what stood there); a clip's content
    // drawn into `target` through `t` (twips to its pixels).
    virtual QImage exportedPicture(const QString& name) = 0;
    virtual void attachBitmap(SpriteInstance& parent, std::shared_ptr<const BitmapPixels> pixels, int depth,
                              bool smoothing) = 0;
    virtual void drawClip(SpriteInstance& clip, QImage& target, const QTransform& t, const ColorTransform& cx,
                          bool smoothing) = 0;
    // Filters as the renderer draws them, a pixel of the picture to a
    // stage pixel: how far they reach beyond a picture, and a picture
    // (with room for that around it) filtered in place.
    virtual QMargins filterReach(const FilterList& filters) = 0;
    virtual void filterPicture(QImage& picture, const FilterList& filters) = 0;

    // The files beside the movie, for scripts that load them: the bytes of
    // the file `url` names, or nothing (and why) when it cannot be read.
    virtual std::optional<QByteArray> readFile(const QString& url, qsizetype maxBytes, QString& why) = 0;
    // A movie or picture file's bytes, put in place of what `clip` shows
    // or as level `level` (when `clip` is null); `url` names the file. The
    // clip standing there now, constructed, its first frame run; null (and
    // why) when the bytes are neither.
    virtual SpriteInstance* loadMovie(const QByteArray& bytes, const QString& url, SpriteInstance* clip, int level,
                                      QString& why) = 0;
    // Empties a clip of what it shows, or takes a level away.
    virtual void unloadMovie(SpriteInstance* clip, int level) = 0;

    // A new empty text field standing at `depth` of the parent (replacing
    // what stood there), `bounds` in twips; a field's copy at another depth
    // of its parent, in its placement; null when it cannot be done.
    virtual EditField* createTextField(SpriteInstance& parent, const QString& name, int depth,
                                       const QRectF& bounds) = 0;
    virtual EditField* duplicateTextField(EditField& field, const QString& name, int depth) = 0;
    virtual void removeTextField(EditField& field) = 0;
};

// A file a script asked for, loaded at the start of a later step: the data
// of an XML or LoadVars object, variables for a clip or a level, a movie or
// picture for one, or the unloading of one.
struct LoadRequest {
    enum class Kind { Data, Variables, Movie, Unload };
    Kind kind = Kind::Data;
    QString url;
    Object* target = nullptr; // the XML or LoadVars object, or the clip
    int level = -1;           // with no target: the level
    Object* loader = nullptr; // a MovieClipLoader to tell how it went
};

// Thrown by a script's `throw`: unwinds to the nearest try block.
struct ScriptThrow {
    Value value;
};
// Ends every script of this step: the work budget is spent, or calls went
// too deep.
struct ScriptAbort {};

// A running piece of code: a frame script, an event handler or a call.
struct Activation {
    QByteArray code;
    int pc = 0;
    int end = 0;
    Scope* scope = nullptr;
    Value thisValue;
    Object* baseClip = nullptr; // the clip whose code this is
    Object* target = nullptr;   // tellTarget's clip; null after a failed one
    Object* callee = nullptr;
    std::shared_ptr<const QStringList> constants;
    std::vector<Value> registers; // DefineFunction2's own; else the runtime's four
    int version = 0;
    Activation* outer = nullptr; // the code running when this began, if any
};

// The script engine of one player: the heap, the global object and its
// built-ins, the stack, the queue of actions of a frame, and the budget
// that bounds them.
class Runtime {
public:
    Runtime(Host& host, int version);
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    Host& host() { return host_; }
    Heap& heap() { return heap_; }
    int version() const { return version_; }
    // getTimer(): milliseconds since the movie started, by the player's
    // clock (which also runs the timers).
    double elapsedMs() const { return time_; }
    void setTime(double ms) { time_ = ms; }
    // The next of a fixed sequence of 31-bit numbers, so that a title plays
    // the same way every time it starts.
    quint32 nextRandom();
    bool caseSensitive() const { return version_ >= 7; }
    // A property name as this version compares names.
    QString key(const QString& name) const { return caseSensitive() ? name : name.toLower(); }
    bool sameName(const QString& a, const QString& b) const;

    // --- The frame's actions, as the player queues them.
    enum class Priority { Initialize, Construct, Normal };
    void queueCode(SpriteInstance& clip, const QByteArray& code, Priority priority = Priority::Normal,
                   bool unload = false);
    // A handler by name, e.g. "onEnterFrame", called on the clip if it has one.
    void queueMethod(SpriteInstance& clip, const QString& name, bool unload = false);
    // An event of a clip: its onClipEvent handlers for `event` (a
    // ClipAction::Event), then its method `method` if it has one.
    void dispatchEvent(SpriteInstance& clip, quint32 event, const char* method);
    // Runs everything queued, including what the queued actions queue.
    void runQueue();
    // Runs a DoInitAction block now.
    void runInitCode(SpriteInstance& clip, const QByteArray& code);
    // Calls a function for the player (a timer, an event of a built-in
    // object): a throw nothing catches ends the call with the player's
    // warning, and nothing more.
    void callFromPlayer(const Value& function, const Value& thisValue, std::span<const Value> args);
    // The player's warning for a throw nothing caught.
    void warnUncaught(const Value& thrown);
    // A new step: the budget is full again and the stack empty.
    void beginStep();
    // Frees unreachable objects once enough were made since the last time.
    void collectIfDue();

    // The script object of a clip, made on first need.
    Object* clipObject(SpriteInstance& clip);
    // What a script reaches by the name of `child`, an object of `parent`'s
    // display list: a sprite's own object; for a shape its parent's, as the
    // reference player gives it. A text field has no script object here, so
    // it reaches nothing rather than the clip that holds it.
    Value childValue(SpriteInstance& parent, const DisplayObject& child);
    // Makes a new clip's script object (of its registered class, if any);
    // with `runFrame` the clip's first frame runs, then `init`'s properties
    // are copied and the constructor runs. Timeline clips queue their
    // initialize and construct handlers instead.
    void constructClip(SpriteInstance& clip, Object* init, bool byScript, bool runFrame);
    // duplicateMovieClip and removeMovieClip, for the actions and the
    // methods alike; `depth` is a display list key.
    Value duplicateClip(SpriteInstance& clip, const QString& name, qint64 depth, Object* init);
    void removeClip(SpriteInstance& clip);
    // Timeline control: stops or plays the clip and goes to a 0-based frame
    // (clamped); a frame by number, label or "path:frame" value.
    void gotoFrame(SpriteInstance& clip, int frame, bool stop);
    // nextFrame and prevFrame, the actions and the methods alike: one frame
    // on or back within the timeline, and the clip stops, at an end too.
    void stepFrame(SpriteInstance& clip, int delta);
    void gotoFrameValue(std::shared_ptr<SpriteInstance> clip, const Value& frame, bool stop, int bias = 0);
    // The clip an object stands for; a removed clip's object finds a clip
    // that took its place by path.
    std::shared_ptr<SpriteInstance> clipOf(Object* object);
    std::shared_ptr<SpriteInstance> clipOf(const Value& value) { return clipOf(value.object()); }
    QString targetPath(SpriteInstance& clip, bool slashes = false);

    // --- Text fields (BuiltinsTextField.cpp, ClipProperties.cpp).
    // A field's script object, made on first need; the field an object
    // stands for while it stands in its parent.
    Object* fieldObject(EditField& field);
    std::shared_ptr<EditField> fieldOf(Object* object);
    // A field named by a value: its object, or a target path string.
    std::shared_ptr<EditField> targetField(Activation& a, const Value& target);
    QString fieldPath(EditField& field, bool slashes = false);
    DisplayObject* fieldPlacement(EditField& field);
    // removeTextField and removeMovieClip: only a field a script may have placed.
    void removeField(EditField& field);
    Value getFieldProperty(EditField& field, int index);
    void setFieldProperty(EditField& field, int index, const Value& value);
    // Fields bound to a variable show its value, and a new field sets it.
    void syncFieldVariables();

    // --- The focus scripts set (BuiltinsSelection.cpp): a clip (buttons
    // play as clips) or a text field.
    struct Focus {
        Object* object = nullptr;
        bool selectionSet = false; // a field's selection was set since it got the focus
    } focus;
    // The focused object, null when none.
    Object* focusObject();
    // Moves the focus (null: none): the one losing it gets onKillFocus, the
    // one taking it onSetFocus, then Selection's listeners onSetFocus.
    void setFocus(Object* to);
    // The focus leaves `object` (a clip or a field) and what stands in it,
    // as they are hidden or about to be removed.
    void dropFocusWithin(Object* object);

    // --- Objects.
    Object* global() const { return global_; }
    Object* newObject();
    Object* newObject(Object* proto);
    Object* newArray(std::span<const Value> items = {});
    Object* newFunction(NativeFunction fn, NativeFunction constructor = nullptr);
    // A constructor with its prototype object, which gets `constructor`.
    Object* newClass(NativeFunction fn, Object* prototype, NativeFunction constructor = nullptr);
    void method(Object* on, const char* name, NativeFunction fn, quint8 attributes = DontEnum);

    Value get(Object* o, const QString& name);
    Value get(const Value& v, const QString& name);
    void set(Object* o, const QString& name, const Value& value);
    // An own property, set without setters or checks.
    void define(Object* o, const QString& name, const Value& value, quint8 attributes = 0);
    bool hasProperty(Object* o, const QString& name);
    bool hasOwnProperty(Object* o, const QString& name);
    bool deleteProperty(Object* o, const QString& name);
    // Names a for..in loop visits, in the order it visits them.
    QStringList enumerate(Object* o);
    Object* protoOf(Object* o);
    // The object a `super` object stands for, whose prototype its names come from.
    Object* superBaseOf(Object* zuper);
    // How many links of a prototype chain are followed: a chain that loops
    // ends there, as a long one does.
    static constexpr int kMaxProtoDepth = 255;
    bool isInstanceOf(Object* o, Object* prototype);
    // `object instanceof constructor`, as InstanceOf and CastOp ask it: the
    // constructor's prototype stands in the object's chain, or an interface
    // a class of the chain implements (ImplementsOp) has it.
    bool instanceOf(const Value& object, const Value& constructor);

    // --- Conversions, by the rules of this version.
    double toNumber(const Value& v);
    QString toString(const Value& v);
    bool toBoolean(const Value& v) const;
    qint32 toInt32(const Value& v);
    // valueOf for objects; primitives as they are.
    Value toPrimitive(const Value& v);
    Object* toObject(const Value& v); // boxes primitives; null for undefined and null
    QString typeOf(const Value& v);
    // A string of at most the length limit, else the script is ended.
    QString checkedString(QString s);

    // --- Calls.
    Value call(const Value& function, const Value& thisValue, std::span<const Value> args);
    Value callMethod(const Value& on, const QString& name, std::span<const Value> args);
    Value construct(const Value& constructor, std::span<const Value> args);
    // Runs a constructor on an object made for it: the object learns its
    // constructor, which then runs with `self` as `this`.
    Value constructOn(Object* self, Object* constructor, std::span<const Value> args);
    // Called by a built-in constructor that refuses its arguments: the
    // `new` running it gives undefined.
    void refuseConstruction() { constructionRefused_ = true; }
    // A call of a built-in or a script function. `superBase` is the object
    // the function was found on as a method (`this` when null).
    Value invoke(Object* function, const Value& thisValue, std::span<const Value> args, bool constructing,
                 Object* superBase = nullptr);
    // A method by name, and the object of the prototype chain that has it.
    Value findMethod(Object* o, const QString& name, Object*& holder);

    // One unit of work from the step's budget; ends every script when spent,
    // or when scripts hold more memory than they may.
    void spend(qint64 units = 1);
    // Ends every script of this step (fscommand quit, limits).
    [[noreturn]] void abort();
    // The constant pool code starts with: the last one a script set.
    std::shared_ptr<const QStringList> constants() const { return constants_; }
    void setConstants(std::shared_ptr<const QStringList> pool) { constants_ = std::move(pool); }

    // State of a built-in area for the whole player (its timers, the
    // movie's sound), made on first need and kept with the roots.
    template <class T>
    T& extension()
    {
        for (const auto& e : extensions_)
            if (auto* found = dynamic_cast<T*>(e.get()))
                return *found;
        extensions_.push_back(std::make_unique<T>());
        return static_cast<T&>(*extensions_.back());
    }

    // Object.registerClass: the constructor clips of an exported symbol get.
    void registerClass(const QString& symbol, Object* constructor);
    Object* registeredClass(const QString& symbol) const;

    // Prototypes of the built-in classes.
    struct Prototypes {
        Object* object = nullptr;
        Object* function = nullptr;
        Object* array = nullptr;
        Object* string = nullptr;
        Object* number = nullptr;
        Object* boolean = nullptr;
        Object* movieClip = nullptr;
        Object* error = nullptr;
        Object* button = nullptr;
        Object* textField = nullptr;
        Object* textFormat = nullptr;
    } protos;

    // --- The interpreter (Interpreter.cpp, Paths.cpp).
    Value execute(Activation& a);
    Scope* timelineScope(Object* clip);
    // A timeline whose clip was taken away gives way to the clip the code
    // belongs to, and when that is gone too, to the root; so do the scope
    // chain's timelines.
    Object* liveTimeline(Activation& a, Object* clip);
    Object* scopeValues(Activation& a, const Scope* scope)
    {
        return scope->kind == Scope::Kind::Target ? liveTimeline(a, scope->values) : scope->values;
    }
    // The rightmost ':' that parts a path from its variable or frame, or
    // from version 5 on a '.'; -1 for none. A file of version 4 knows only
    // slash paths, where a dot is part of a name.
    qsizetype variableSplit(const QString& path) const;
    // A variable by name or path; `owner` gets the object it was found on.
    Value getVariable(Activation& a, const QString& path, Object** owner = nullptr);
    void setVariable(Activation& a, const QString& path, const Value& value);
    Object* resolveTargetPath(Activation& a, Object* start, QStringView path, bool first, bool allowThis);
    // A clip named by a value: a clip object, or a target path string.
    std::shared_ptr<SpriteInstance> targetClip(Activation& a, const Value& target);
    Value getProperty(SpriteInstance& clip, int index);
    void setProperty(SpriteInstance& clip, int index, const Value& value);
    void setPlayerProperty(SpriteInstance& clip, int index, const Value& value);
    // The display properties (_x, _name, ...) by name; -1 for another name.
    static int propertyIndex(const QString& name);
    static bool isReadOnlyProperty(int index);
    // The conversion SetProperty makes of a value for the property.
    void coerceProperty(int index, const Value& value);
    // A 1-based frame given as a number, or as a label or a number in a
    // string with an optional "clip:" path before it, which moves `clip` to
    // that clip: gotos, call() and their methods all read frames here.
    int frameOf(Activation& a, std::shared_ptr<SpriteInstance>& clip, const Value& frame, bool& found);

    // Player-wide settings scripts read and write as clip properties.
    struct PlayerSettings {
        enum class Quality { Low, Medium, High, Best } quality = Quality::High;
        bool focusRect = true;
        qint32 soundBufferTime = 5;
    } settings;

    // --- Files beside the movie (Loading.cpp): what scripts ask to load is
    // loaded at the start of a later step, as the player loads it; false
    // when too many loads wait already.
    bool requestLoad(const LoadRequest& request);
    // GetURL and GetURL2: loadMovie, loadVariables and unloadMovie, into
    // clips and levels. Web pages, and what is sent, go nowhere.
    void urlAction(Activation& a, const QString& url, const Value& target, quint8 flags);
    void runLoads();
    bool loadsPending() const { return !loads_.empty(); }
    // The clip `_root` names for code of `clip`: the top of its tree, or the
    // nearest loaded movie that locks its root (_lockroot).
    SpriteInstance* rootClip(SpriteInstance* clip);

    // --- Warnings for the tools (MissingBuiltins.cpp), each given once:
    // what the movie asks of the player that this one does not provide (a
    // global, a member of a built-in object, or a built-in that does
    // nothing here), files it could not load, and the limits its scripts
    // ran into (Runtime.cpp).
    void noteMissingGlobal(const QString& name);
    void noteMissingMember(const Value& on, const QString& name);
    void noteInert(const NativeCall& call);
    void warn(const QString& text);
    const QStringList& warnings() const { return warnings_; }

    std::vector<Value>& stack() { return stack_; }
    // The code running now, if any.
    Activation* current() const { return current_; }
    void setCurrent(Activation* a) { current_ = a; }
    Value registers[4];

private:
    // Object.watch: runs the watch on `o`'s name `k`, if any, and sets what it returns.
    bool watchedSet(Object* o, const QString& k, const QString& name, const Value& value);
    friend struct CallDepth;
    struct Queued {
        std::weak_ptr<SpriteInstance> clip;
        QByteArray code;
        QString method;
        bool unload = false;
        // A clip's construction: its prototype and constructor, if it has a
        // registered class, and its construct handlers.
        bool construct = false;
        Object* constructor = nullptr;
        std::vector<QByteArray> handlers;
    };
    void constructQueued(SpriteInstance& clip, const Queued& q);
    void runQueued(const Queued& q);
    void runCode(SpriteInstance& clip, const QByteArray& code);
    void installBuiltins();
    // Everything scripts reach: the global object, the clips, the stack and,
    // while code runs, every activation under way.
    void traceRoots(Tracer& tracer);

    Host& host_;
    int version_;
    Heap heap_;
    Object* global_ = nullptr;
    Scope* globalScope_ = nullptr;
    Activation* current_ = nullptr;
    std::vector<Value> stack_;
    std::shared_ptr<const QStringList> constants_;
    std::deque<Queued> queues_[3];
    std::vector<std::weak_ptr<SpriteInstance>> clips_; // every clip with a script object
    std::vector<std::weak_ptr<EditField>> fields_;     // every field with a script object or a variable
    QHash<QString, Object*> classes_;
    std::vector<std::unique_ptr<NativeState>> extensions_;
    qint64 workLeft_ = 0;
    double time_ = 0;
    quint32 spends_ = 0;
    quint32 randomState_ = 0x1F123BB5u;
    int depth_ = 0;
    bool aborted_ = false;
    std::deque<LoadRequest> loads_;
    QStringList warnings_;
    QSet<QString> warned_;
    QSet<const Object*> inertNoted_;
    bool constructionRefused_ = false;
};

// Counts a level of calls for as long as it lives; too deep ends every script.
struct CallDepth {
    explicit CallDepth(Runtime& rt);
    ~CallDepth() { --rt.depth_; }
    CallDepth(const CallDepth&) = delete;
    CallDepth& operator=(const CallDepth&) = delete;
    Runtime& rt;
};

} // namespace movie::avm1
