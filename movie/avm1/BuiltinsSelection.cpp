// Selection: the focus a script sets (no input reaches a title, so only
// scripts move it) and the selection in the focused text field.

#include "movie/DisplayList.h"
#include "movie/Limits.h"
#include "movie/avm1/Builtins.h"
#include "movie/draw/EditField.h"

namespace movie::avm1 {

namespace {

bool focusable(Runtime& rt, Object* o)
{
    if (rt.fieldOf(o))
        return true;
    auto clip = rt.clipOf(o);
    if (!clip)
        return false;
    const DisplayObject* placed = rt.host().placement(*clip);
    if (placed && placed->character && placed->character->scriptKind == Character::ScriptKind::Button)
        return true;
    return rt.toBoolean(rt.get(o, QStringLiteral("focusEnabled")));
}

Value selectionGetFocus(Runtime& rt, NativeCall&)
{
    Object* focused = rt.focusObject();
    return focused ? Value(rt.toString(Value(focused))) : Value::null();
}

Value selectionSetFocus(Runtime& rt, NativeCall& c)
{
    Value target = c.arg(0);
    if (target.isString()) {
        Activation* a = rt.current();
        Object* start = a ? (a->target ? a->target : a->baseClip) : nullptr;
        target = a && start ? Value(rt.resolveTargetPath(*a, start, target.string(), true, false)) : Value();
    }
    if (target.isNullish()) {
        rt.setFocus(nullptr);
        return Value(true);
    }
    Object* o = target.object();
    if (!o || !focusable(rt, o))
        return Value(false);
    rt.setFocus(o);
    // A clip or button given the focus is rolled over and out, after the
    // script, every time.
    if (auto clip = rt.clipOf(o)) {
        rt.queueMethod(*clip, QStringLiteral("onRollOver"));
        rt.queueMethod(*clip, QStringLiteral("onRollOut"));
    }
    return Value(true);
}

// The focused field, while its selection can be read.
std::shared_ptr<EditField> selectedField(Runtime& rt)
{
    return rt.focus.selectionSet ? rt.fieldOf(rt.focusObject()) : nullptr;
}

Value selectionBeginIndex(Runtime& rt, NativeCall&)
{
    auto field = selectedField(rt);
    return Value(field ? int(std::min(field->selectionBegin, field->selectionEnd)) : -1);
}

Value selectionEndIndex(Runtime& rt, NativeCall&)
{
    auto field = selectedField(rt);
    return Value(field ? int(std::max(field->selectionBegin, field->selectionEnd)) : -1);
}

Value selectionCaretIndex(Runtime& rt, NativeCall&)
{
    auto field = selectedField(rt);
    return Value(field ? int(field->selectionEnd) : -1);
}

// setSelection(begin, end): the caret stands at `end`; a missing end keeps
// the one there was.
Value selectionSetSelection(Runtime& rt, NativeCall& c)
{
    auto field = rt.fieldOf(rt.focusObject());
    if (!field || c.count() == 0)
        return {};
    const qsizetype size = field->text().size();
    field->selectionBegin = std::clamp<qsizetype>(rt.toInt32(c.arg(0)), 0, size);
    if (c.count() > 1)
        field->selectionEnd = std::clamp<qsizetype>(rt.toInt32(c.arg(1)), 0, size);
    rt.focus.selectionSet = true;
    return {};
}

} // namespace

Object* Runtime::focusObject()
{
    if (focus.object && !fieldOf(focus.object) && !(focus.object->kind == Object::Kind::Clip && clipOf(focus.object)))
        return nullptr;
    return focus.object;
}

void Runtime::setFocus(Object* to)
{
    Object* from = focusObject();
    focus.object = to;
    if (auto field = fieldOf(to)) {
        // A field given the focus, even again, has all its text selected.
        field->selectionBegin = 0;
        field->selectionEnd = field->text().size();
    }
    if (from == to)
        return;
    focus.selectionSet = false;
    const Value oldValue = from ? Value(from) : Value::null();
    const Value newValue = to ? Value(to) : Value::null();
    if (from)
        callMethod(Value(from), QStringLiteral("onKillFocus"), std::span<const Value>(&newValue, 1));
    if (to)
        callMethod(Value(to), QStringLiteral("onSetFocus"), std::span<const Value>(&oldValue, 1));
    const Value selection = get(global_, QStringLiteral("Selection"));
    const Value message[] = {Value(QStringLiteral("onSetFocus")), oldValue, newValue};
    callMethod(selection, QStringLiteral("broadcastMessage"), message);
}

void Runtime::dropFocusWithin(Object* object)
{
    Object* focused = focusObject();
    if (!focused || !object)
        return;
    std::shared_ptr<SpriteInstance> at;
    if (auto field = fieldOf(focused))
        at = field->parent.lock();
    else
        at = clipOf(focused);
    bool within = focused == object;
    for (int depth = 0; at && !within && depth <= limits::kMaxNesting + 1; ++depth) {
        within = at->object == object;
        at = at->parent.lock();
    }
    if (within)
        setFocus(nullptr);
}

void installSelectionBuiltins(Runtime& rt, Object* global)
{
    Object* selection = rt.newObject();
    defineMethods(rt, selection,
                  {{"getFocus", selectionGetFocus},
                   {"setFocus", selectionSetFocus},
                   {"getBeginIndex", selectionBeginIndex},
                   {"getEndIndex", selectionEndIndex},
                   {"getCaretIndex", selectionCaretIndex},
                   {"setSelection", selectionSetSelection}});
    // It tells its listeners of focus changes.
    initializeBroadcaster(rt, selection);
    rt.define(global, QStringLiteral("Selection"), Value(selection), DontEnum);
}

} // namespace movie::avm1
