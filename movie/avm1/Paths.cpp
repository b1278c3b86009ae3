// Variables and target paths: "a", "clip.a", "/clip/inner:a", "_root.clip",
// "../a", "_level0:a", resolved the way the player resolves them.

#include "movie/DisplayList.h"
#include "movie/avm1/NumberText.h"
#include "movie/avm1/Runtime.h"

#include <cmath>

namespace movie::avm1 {

qsizetype Runtime::variableSplit(const QString& path) const
{
    const qsizetype colon = path.lastIndexOf(u':');
    return version_ >= 5 ? std::max(colon, path.lastIndexOf(u'.')) : colon;
}

Object* Runtime::liveTimeline(Activation& a, Object* clip)
{
    if (!clip || clip->kind != Object::Kind::Clip)
        return clip;
    if (const auto sprite = clip->clip.lock(); (sprite && !sprite->removed) || clipOf(clip))
        return clip;
    if (auto base = clipOf(a.baseClip))
        return clipObject(*base);
    SpriteInstance* root = host_.level(0);
    return root ? clipObject(*root) : clip;
}

Object* Runtime::resolveTargetPath(Activation& a, Object* start, QStringView path, bool first, bool allowThis)
{
    if (path.isEmpty())
        return start;
    const bool five = version_ >= 5;
    auto base = clipOf(a.target ? a.target : a.baseClip);
    SpriteInstance* root = rootClip(base ? base.get() : host_.level(0));
    Object* object = start;
    bool slashes = false;
    if (path.startsWith(u'/')) {
        if (!root)
            return nullptr;
        path = path.mid(1);
        first = false;
        object = clipObject(*root);
        slashes = true;
    }
    for (int guard = 0; !path.isEmpty(); ++guard) {
        spend();
        if (five)
            while (path.startsWith(u':'))
                path = path.mid(1);
        if (path.isEmpty())
            break;
        Value value;
        if (path == u".." || path.startsWith(u"../") || (five && path.startsWith(u"..:"))) {
            if (path.size() > 2 && path[2] == u'/')
                slashes = true;
            path = path.mid(std::min<qsizetype>(3, path.size()));
            auto clip = clipOf(object);
            auto parent = clip ? clip->parent.lock() : nullptr;
            if (!parent)
                return nullptr;
            value = Value(clipObject(*parent));
        } else {
            qsizetype pos = 0;
            for (; pos < path.size(); ++pos) {
                const QChar c = path[pos];
                if (five && c == u':')
                    break;
                if (five && c == u'.' && !slashes)
                    break;
                if (c == u'/') {
                    slashes = true;
                    break;
                }
            }
            const QString name = path.left(pos).toString();
            path = path.mid(std::min(pos + 1, path.size()));
            // Before version 7 these names fold case like any other.
            if (five && allowThis && sameName(name, QStringLiteral("this"))) {
                value = a.thisValue;
            } else if (five && first && sameName(name, QStringLiteral("_root"))) {
                value = root ? Value(clipObject(*root)) : Value();
            } else if (first && name.size() > 6
                       && (name.startsWith(QLatin1String("_level"),
                                           caseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive)
                           || name.startsWith(QLatin1String("_flash"),
                                              caseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive))) {
                SpriteInstance* level = host_.level(levelNumber(QStringView(name).mid(6)));
                value = level ? Value(clipObject(*level)) : Value();
            } else {
                // Children come before variables here, unlike member access.
                bool found = false;
                if (auto clip = clipOf(object)) {
                    for (auto& [depth, child] : clip->objects) {
                        if (!child.name.isEmpty() && sameName(child.name, name)) {
                            value = childValue(*clip, child);
                            found = true;
                            break;
                        }
                    }
                }
                if (!found)
                    value = get(object, name);
            }
        }
        first = false;
        object = value.object();
        if (!object)
            return nullptr;
    }
    return object;
}

Value Runtime::getVariable(Activation& a, const QString& path, Object** owner)
{
    if (owner)
        *owner = nullptr;
    const bool five = version_ >= 5;
    const qsizetype split = variableSplit(path);
    if (split >= 0) {
        const QString objectPath = path.left(split);
        const QString name = path.mid(split + 1);
        if (objectPath.isEmpty())
            return {};
        for (Scope* s = a.scope; s; s = s->parent) {
            Object* o = resolveTargetPath(a, scopeValues(a, s), objectPath, true, true);
            if (o && hasProperty(o, name)) {
                if (owner)
                    *owner = o;
                return get(o, name);
            }
        }
        return {};
    }
    if (five && path.contains(u'/')) {
        for (Scope* s = a.scope; s; s = s->parent)
            if (Object* o = resolveTargetPath(a, scopeValues(a, s), path, false, false))
                return Value(o);
    }
    // In version 5 "this" is matched exactly only in a function's own scope.
    const bool exactThis = version_ <= 5 ? (a.scope && a.scope->kind == Scope::Kind::Local) : caseSensitive();
    if (five && path.compare(QLatin1String("this"), exactThis ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0)
        return a.thisValue;
    for (Scope* s = a.scope; s; s = s->parent) {
        spend();
        Object* values = scopeValues(a, s);
        if (hasProperty(values, path)) {
            if (owner)
                *owner = values;
            return get(values, path);
        }
    }
    return {};
}

void Runtime::setVariable(Activation& a, const QString& path, const Value& value)
{
    if (path.isEmpty())
        return;
    if (version_ >= 5 && path == QLatin1String("this")) {
        a.thisValue = value;
        return;
    }
    const qsizetype split = variableSplit(path);
    if (split >= 0) {
        const QString objectPath = path.left(split);
        const QString name = path.mid(split + 1);
        for (Scope* s = a.scope; s; s = s->parent) {
            if (Object* o = resolveTargetPath(a, scopeValues(a, s), objectPath, true, true)) {
                set(o, name, value);
                return;
            }
        }
        return;
    }
    // The nearest scope that has it takes it; else the timeline the code
    // runs on.
    for (Scope* s = a.scope; s; s = s->parent) {
        spend();
        Object* values = scopeValues(a, s);
        if (s->kind == Scope::Kind::Target || !s->parent || hasProperty(values, path)) {
            set(values, path, value);
            return;
        }
    }
}

std::shared_ptr<SpriteInstance> Runtime::targetClip(Activation& a, const Value& target)
{
    if (auto clip = clipOf(target))
        return clip;
    const QString path = toString(target);
    Object* start = a.target;
    if (!start || !clipOf(start)) {
        if (path.isEmpty())
            return nullptr;
        start = a.baseClip;
    }
    return clipOf(resolveTargetPath(a, start, path, true, false));
}

int Runtime::frameOf(Activation& a, std::shared_ptr<SpriteInstance>& clip, const Value& frame, bool& found)
{
    // A whole number is a frame number (wrapping at 32 bits); any other
    // value is read as text, where a '.' parts a path from the frame.
    found = frame.isNumber() && frame.number() == std::trunc(frame.number());
    if (found)
        return avm1::toInt32(frame.number());
    const QString text = toString(frame);
    QString name = text;
    const qsizetype split = variableSplit(text);
    if (split >= 0) {
        Object* at = nullptr;
        for (Scope* s = a.scope; s && !at; s = s->parent)
            at = resolveTargetPath(a, s->values, text.left(split), true, true);
        clip = clipOf(at);
        if (!clip)
            return 0;
        name = text.mid(split + 1);
    }
    if (!clip)
        return 0;
    bool isNumber = !name.isEmpty();
    for (const QChar c : name)
        isNumber = isNumber && (c.isDigit() || c == u'.' || c == u'-' || c == u'+' || c == u'e' || c == u'E');
    if (isNumber) {
        bool ok = false;
        const double n = name.toDouble(&ok);
        if (ok) {
            found = true;
            return avm1::toInt32(n);
        }
    }
    const QByteArray label = version_ >= 6 ? name.toUtf8() : name.toLatin1();
    const int index = clip->timeline->findLabel(label);
    if (index < 0)
        return 0;
    found = true;
    return index + 1;
}

} // namespace movie::avm1
