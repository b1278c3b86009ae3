// TextSnapshot: the characters of the static texts a clip holds, as they
// were when the snapshot was taken.

#include "movie/DisplayList.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/TextBuiltins.h"

namespace movie::avm1 {

namespace {

struct SnapshotState : NativeState {
    QStringList texts; // each static text's characters, by depth
};

SnapshotState* stateOf(Object* o) { return o ? dynamic_cast<SnapshotState*>(o->state.get()) : nullptr; }

// A snapshot of a clip without static text is no snapshot: it answers nothing.
const SnapshotState* snapshotOf(NativeCall& c)
{
    const SnapshotState* state = stateOf(c.self);
    return state && !state->texts.isEmpty() ? state : nullptr;
}

void takeSnapshot(Runtime& rt, Object* self, const Value& clipValue)
{
    auto state = std::make_unique<SnapshotState>();
    if (auto clip = rt.clipOf(clipValue); clip && !clip->staticTextGiven)
        for (const auto& [depth, object] : clip->objects)
            if (object.character && !object.character->staticText.isEmpty())
                state->texts << object.character->staticText;
    self->state = std::move(state);
}

Value snapshotConstructor(Runtime& rt, NativeCall& c)
{
    if (c.constructing && c.self)
        takeSnapshot(rt, c.self, c.arg(0));
    return c.constructing ? Value(c.self) : Value();
}

Value snapshotGetCount(Runtime&, NativeCall& c)
{
    const SnapshotState* s = snapshotOf(c);
    return s ? Value(int(s->texts.join(QString()).size())) : Value();
}

// getText(from, to, includeLineEndings): the characters from `from` up to
// `to`, each static text on a line of its own when asked.
Value snapshotGetText(Runtime& rt, NativeCall& c)
{
    const SnapshotState* s = snapshotOf(c);
    if (!s)
        return {};
    const QString all = s->texts.join(QString());
    const qsizetype from = std::clamp<qsizetype>(rt.toInt32(c.arg(0)), 0, all.size());
    const qsizetype to = std::clamp<qsizetype>(rt.toInt32(c.arg(1)), from, all.size());
    if (!rt.toBoolean(c.arg(2)))
        return Value(all.mid(from, to - from));
    QString out;
    qsizetype at = 0;
    for (const QString& text : s->texts) {
        const qsizetype begin = std::max(from, at), end = std::min(to, at + text.size());
        if (begin < end) {
            if (!out.isEmpty())
                out += u'\n';
            out += text.mid(begin - at, end - begin);
        }
        at += text.size();
    }
    return Value(out);
}

Value snapshotFindText(Runtime& rt, NativeCall& c)
{
    const SnapshotState* s = snapshotOf(c);
    if (!s)
        return {};
    const QString all = s->texts.join(QString());
    const qsizetype from = std::clamp<qsizetype>(rt.toInt32(c.arg(0)), 0, all.size());
    const Qt::CaseSensitivity cs = rt.toBoolean(c.arg(2)) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return Value(int(all.indexOf(rt.toString(c.arg(1)), from, cs)));
}

// Nothing of a title's static text is ever selected: no input reaches it.
Value snapshotNotSelected(Runtime&, NativeCall& c) { return snapshotOf(c) ? Value(false) : Value(); }
Value snapshotNoSelectedText(Runtime&, NativeCall& c) { return snapshotOf(c) ? Value(QString()) : Value(); }
Value snapshotNoCharacter(Runtime&, NativeCall& c) { return snapshotOf(c) ? Value(-1) : Value(); }
Value snapshotInert(Runtime&, NativeCall&) { return {}; }

Value clipGetTextSnapshot(Runtime& rt, NativeCall& c)
{
    if (!rt.clipOf(c.self))
        return {};
    Object* snapshot =
        rt.newObject(rt.get(rt.get(rt.global(), QStringLiteral("TextSnapshot")), QStringLiteral("prototype")).object());
    takeSnapshot(rt, snapshot, Value(c.self));
    return Value(snapshot);
}

} // namespace

void installTextSnapshotBuiltins(Runtime& rt, Object* global)
{
    Object* proto = rt.newObject();
    Object* snapshot = rt.newClass(snapshotConstructor, proto);
    defineMethods(rt, proto,
                  {{"getCount", snapshotGetCount},
                   {"getText", snapshotGetText},
                   {"findText", snapshotFindText},
                   {"getSelected", snapshotNotSelected},
                   {"getSelectedText", snapshotNoSelectedText},
                   {"hitTestTextNearPos", snapshotNoCharacter},
                   {"setSelected", snapshotInert},
                   {"setSelectColor", snapshotInert}});
    rt.define(global, QStringLiteral("TextSnapshot"), Value(snapshot), DontEnum);
    defineMethods(rt, rt.protos.movieClip, {{"getTextSnapshot", clipGetTextSnapshot, 7}});
}

} // namespace movie::avm1
