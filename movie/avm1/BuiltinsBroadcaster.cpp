// AsBroadcaster, and the objects of the player that broadcast to listeners
// through it: Key, Mouse, Stage (with the stage's size and modes) and
// Selection. No input reaches a title, so only scripts make them speak.

#include "movie/avm1/Builtins.h"

namespace movie::avm1 {

namespace {

const QString kListeners = QStringLiteral("_listeners");

// The methods every broadcaster shares, as AsBroadcaster first had them.
struct BroadcasterMethods : NativeState {
    Object* add = nullptr;
    Object* remove = nullptr;
    Object* broadcast = nullptr;
    void trace(Tracer& tracer) const override
    {
        tracer.mark(add);
        tracer.mark(remove);
        tracer.mark(broadcast);
    }
};

Value addListener(Runtime& rt, NativeCall& c)
{
    const Value listener = c.arg(0);
    const Value list = rt.get(c.thisValue, kListeners);
    if (list.isObject()) {
        // A listener is on the list once.
        rt.callMethod(c.thisValue, QStringLiteral("removeListener"), c.args.first(std::min<size_t>(c.args.size(), 1)));
        rt.callMethod(list, QStringLiteral("push"), std::span<const Value>(&listener, 1));
    }
    return Value(true);
}

Value removeListener(Runtime& rt, NativeCall& c)
{
    const Value list = rt.get(c.thisValue, kListeners);
    Object* array = list.object();
    if (!array)
        return Value(false);
    const std::vector<Value> items = arrayElements(rt, array);
    const Value listener = c.arg(0);
    for (size_t i = 0; i < items.size(); ++i) {
        const bool same = items[i].type() == listener.type()
            && (listener.isObject() ? items[i].object() == listener.object()
                                    : rt.toString(items[i]) == rt.toString(listener));
        if (same) {
            const Value args[] = {Value(int(i)), Value(1)};
            rt.callMethod(list, QStringLiteral("splice"), args);
            return Value(true);
        }
    }
    return Value(false);
}

Value broadcastMessage(Runtime& rt, NativeCall& c)
{
    if (c.count() == 0 || !c.self)
        return {};
    broadcast(rt, c.self, rt.toString(c.arg(0)), c.args.subspan(1));
    return {};
}

Value asBroadcasterInitialize(Runtime& rt, NativeCall& c)
{
    if (Object* o = c.arg(0).object())
        initializeBroadcaster(rt, o);
    return {};
}

Value asBroadcasterConstructor(Runtime&, NativeCall& c) { return c.constructing ? Value(c.self) : Value(); }

// --- Key and Mouse: no key is ever down, the pointer is where it was.

Value keyFalse(Runtime&, NativeCall&) { return Value(false); }

Value keyZero(Runtime&, NativeCall&) { return Value(0); }

Value mouseShown(Runtime&, NativeCall&) { return Value(true); }

// --- Stage

struct StageState : NativeState {
    QString scaleMode = QStringLiteral("showAll");
    QString align;
    bool fullScreen = false;
    bool showMenu = true;
};

Value stageWidth(Runtime& rt, NativeCall&) { return Value(rt.host().stageRect().width() / 20); }

Value stageHeight(Runtime& rt, NativeCall&) { return Value(rt.host().stageRect().height() / 20); }

Value stageScaleMode(Runtime& rt, NativeCall&) { return Value(rt.extension<StageState>().scaleMode); }

Value stageSetScaleMode(Runtime& rt, NativeCall& c)
{
    const QString mode = rt.toString(c.arg(0));
    for (const char* known : {"showAll", "exactFit", "noBorder", "noScale"})
        if (mode.compare(QLatin1String(known), Qt::CaseInsensitive) == 0)
            rt.extension<StageState>().scaleMode = QString::fromLatin1(known);
    return {};
}

Value stageAlign(Runtime& rt, NativeCall&) { return Value(rt.extension<StageState>().align); }

Value stageSetAlign(Runtime& rt, NativeCall& c)
{
    // The sides named, in the player's order: top or bottom, then left or right.
    const QString sides = rt.toString(c.arg(0)).toUpper();
    QString align;
    if (sides.contains(u'T'))
        align += u'T';
    else if (sides.contains(u'B'))
        align += u'B';
    if (sides.contains(u'L'))
        align += u'L';
    else if (sides.contains(u'R'))
        align += u'R';
    rt.extension<StageState>().align = align;
    return {};
}

Value stageShowMenu(Runtime& rt, NativeCall&) { return Value(rt.extension<StageState>().showMenu); }

Value stageSetShowMenu(Runtime& rt, NativeCall& c)
{
    rt.extension<StageState>().showMenu = rt.toBoolean(c.arg(0));
    return {};
}

Value stageDisplayState(Runtime& rt, NativeCall&)
{
    return Value(rt.extension<StageState>().fullScreen ? QStringLiteral("fullScreen") : QStringLiteral("normal"));
}

Value stageSetDisplayState(Runtime& rt, NativeCall& c)
{
    const QString state = rt.toString(c.arg(0));
    bool full = false;
    if (state.compare(QLatin1String("fullScreen"), Qt::CaseInsensitive) == 0)
        full = true;
    else if (state.compare(QLatin1String("normal"), Qt::CaseInsensitive) != 0)
        return {};
    auto& stage = rt.extension<StageState>();
    if (stage.fullScreen == full)
        return {};
    // The title keeps its place in the editor; only its scripts hear of it.
    stage.fullScreen = full;
    if (c.self) {
        const Value arg(full);
        broadcast(rt, c.self, QStringLiteral("onFullScreen"), std::span<const Value>(&arg, 1));
    }
    return {};
}

Object* broadcasterObject(Runtime& rt, Object* global, const char* name)
{
    Object* o = rt.newObject();
    initializeBroadcaster(rt, o);
    rt.define(global, QString::fromLatin1(name), Value(o), DontEnum);
    return o;
}

} // namespace

void initializeBroadcaster(Runtime& rt, Object* o, bool listensToItself)
{
    const BroadcasterMethods& m = rt.extension<BroadcasterMethods>();
    rt.define(o, QStringLiteral("addListener"), Value(m.add), DontEnum | DontDelete);
    rt.define(o, QStringLiteral("removeListener"), Value(m.remove), DontEnum | DontDelete);
    rt.define(o, QStringLiteral("broadcastMessage"), Value(m.broadcast), DontEnum | DontDelete);
    const Value self(o);
    rt.define(o, kListeners,
              Value(rt.newArray(listensToItself ? std::span<const Value>(&self, 1) : std::span<const Value>())),
              DontEnum | DontDelete);
}

void broadcast(Runtime& rt, Object* o, const QString& message, std::span<const Value> args)
{
    Object* list = rt.get(o, kListeners).object();
    if (!list)
        return;
    // Listeners added or removed meanwhile count from the next message on.
    for (const Value& listener : arrayElements(rt, list)) {
        const Value handler = rt.get(listener, message);
        if (handler.object() && handler.object()->isFunction())
            rt.call(handler, listener, args);
    }
}

void installBroadcasterBuiltins(Runtime& rt, Object* global)
{
    Object* proto = rt.newObject();
    Object* asBroadcaster = rt.newClass(asBroadcasterConstructor, proto);
    auto& m = rt.extension<BroadcasterMethods>();
    m.add = rt.newFunction(addListener);
    m.remove = rt.newFunction(removeListener);
    m.broadcast = rt.newFunction(broadcastMessage);
    rt.define(asBroadcaster, QStringLiteral("initialize"), Value(rt.newFunction(asBroadcasterInitialize)),
              DontEnum | DontDelete);
    rt.define(asBroadcaster, QStringLiteral("addListener"), Value(m.add), DontEnum | DontDelete);
    rt.define(asBroadcaster, QStringLiteral("removeListener"), Value(m.remove), DontEnum | DontDelete);
    rt.define(asBroadcaster, QStringLiteral("broadcastMessage"), Value(m.broadcast), DontEnum | DontDelete);
    rt.define(global, QStringLiteral("AsBroadcaster"), Value(asBroadcaster), DontEnum);

    Object* key = broadcasterObject(rt, global, "Key");
    defineMethods(rt, key,
                  {{"isDown", keyFalse},
                   {"isToggled", keyFalse},
                   {"getCode", keyZero},
                   {"getAscii", keyZero},
                   {"isAccessible", keyFalse}});
    static const std::pair<const char*, int> keyCodes[] = {
        {"ALT", 18},    {"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46},
        {"DOWN", 40},   {"END", 35},      {"ENTER", 13},    {"ESCAPE", 27},  {"HOME", 36},
        {"INSERT", 45}, {"LEFT", 37},     {"PGDN", 34},     {"PGUP", 33},    {"RIGHT", 39},
        {"SHIFT", 16},  {"SPACE", 32},    {"TAB", 9},       {"UP", 38}};
    for (const auto& [name, code] : keyCodes)
        defineConstant(rt, key, name, Value(code));

    Object* mouse = broadcasterObject(rt, global, "Mouse");
    defineMethods(rt, mouse, {{"show", mouseShown}, {"hide", mouseShown}});

    Object* stage = broadcasterObject(rt, global, "Stage");
    defineAccessors(rt, stage,
                    {{"width", stageWidth},
                     {"height", stageHeight},
                     {"scaleMode", stageScaleMode, stageSetScaleMode},
                     {"align", stageAlign, stageSetAlign},
                     {"showMenu", stageShowMenu, stageSetShowMenu},
                     {"displayState", stageDisplayState, stageSetDisplayState, 8}});
}

} // namespace movie::avm1
