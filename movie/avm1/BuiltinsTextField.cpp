// TextField: the script object of every edit field, placed or made by
// createTextField. Its properties are getters and setters on
// TextField.prototype, as the player defines them, over the live field;
// changes show at once.

#include "movie/DisplayList.h"
#include "movie/Limits.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/NumberText.h"
#include "movie/avm1/TextBuiltins.h"
#include "movie/draw/EditField.h"

#include <QRectF>
#include <cmath>

namespace movie::avm1 {

namespace {

// Depths as scripts number them, from the display list's key: the same
// bias as clips.
constexpr int kDepthBias = 16384;
constexpr qint64 kMaxDepth = 2130706428;
constexpr qint64 kMaxRemoveDepth = 2130706416;

// What a field's object keeps that is a script value.
struct FieldState : NativeState {
    Value styleSheet;
    Value tabIndex;
    std::vector<Value> filters;
    void trace(Tracer& tracer) const override
    {
        tracer.mark(styleSheet);
        tracer.mark(tabIndex);
        for (const Value& v : filters)
            tracer.mark(v);
    }
};

FieldState& stateOf(Object* o)
{
    auto* state = dynamic_cast<FieldState*>(o->state.get());
    if (!state) {
        o->state = std::make_unique<FieldState>();
        state = static_cast<FieldState*>(o->state.get());
    }
    return *state;
}

// The properties, in the order they are defined on the prototype (a for..in
// loop visits them the other way round).
enum FieldProperty {
    GridFitType,
    AntiAliasType,
    Thickness,
    Sharpness,
    Filters,
    Scroll,
    MaxScroll,
    BorderColor,
    BackgroundColor,
    TextColor,
    TabIndex,
    AutoSizeProperty,
    Text,
    Type,
    HtmlText,
    Variable,
    HScroll,
    MaxHScroll,
    MaxChars,
    EmbedFonts,
    Html,
    Border,
    Background,
    WordWrap,
    Password,
    Multiline,
    Selectable,
    Length,
    BottomScroll,
    TextWidth,
    TextHeight,
    Restrict,
    CondenseWhite,
    MouseWheelEnabled,
    StyleSheet,
};

struct PropertySpec {
    const char* name;
    bool EditField::*flag = nullptr; // a property that is a flag of the field
    quint8 minVersion = 0;
    bool readOnly = false;
};

const PropertySpec kProperties[] = {
    {"gridFitType", nullptr, 8},
    {"antiAliasType", nullptr, 8},
    {"thickness", nullptr, 8},
    {"sharpness", nullptr, 8},
    {"filters", nullptr, 8},
    {"scroll"},
    {"maxscroll", nullptr, 0, true},
    {"borderColor"},
    {"backgroundColor"},
    {"textColor"},
    {"tabIndex"},
    {"autoSize"},
    {"text"},
    {"type"},
    {"htmlText"},
    {"variable"},
    {"hscroll"},
    {"maxhscroll", nullptr, 0, true},
    {"maxChars"},
    {"embedFonts", &EditField::embedFonts},
    {"html", &EditField::html},
    {"border", &EditField::border},
    {"background", &EditField::background},
    {"wordWrap", &EditField::wordWrap},
    {"password", &EditField::password},
    {"multiline", &EditField::multiline},
    {"selectable", &EditField::selectable},
    {"length", nullptr, 0, true},
    {"bottomScroll", nullptr, 0, true},
    {"textWidth", nullptr, 0, true},
    {"textHeight", nullptr, 0, true},
    {"restrict"},
    {"condenseWhite", &EditField::condenseWhite},
    {"mouseWheelEnabled", &EditField::mouseWheelEnabled},
    {"styleSheet"},
};
constexpr int kPropertyCount = int(std::size(kProperties));

const char* const kAutoSizes[] = {"none", "left", "center", "right"};

Value nullOr(const std::optional<QString>& v) { return v ? Value(*v) : Value::null(); }

// The text a bound variable holds, once the variable has been read.
void pullVariable(Runtime& rt, EditField& field);

Value readProperty(Runtime& rt, EditField& field, Object* self, int p)
{
    if (bool EditField::*flag = kProperties[p].flag)
        return Value(field.*flag);
    switch (p) {
    case GridFitType:
        return Value(field.gridFitType);
    case AntiAliasType:
        return Value(field.antiAliasType);
    case Thickness:
        return Value(field.thickness);
    case Sharpness:
        return Value(field.sharpness);
    case Filters: {
        const std::vector<Value>& filters = stateOf(self).filters;
        return Value(rt.newArray(filters));
    }
    case Scroll:
        return Value(field.scroll);
    case MaxScroll:
        return Value(field.maxScroll());
    case BorderColor:
        return Value(double(field.borderColor));
    case BackgroundColor:
        return Value(double(field.backgroundColor));
    case TextColor:
        return Value(double(field.newFormat().color.value_or(0)));
    case TabIndex:
        return stateOf(self).tabIndex;
    case AutoSizeProperty:
        return Value(QString::fromLatin1(kAutoSizes[int(field.autoSize)]));
    case Text:
        pullVariable(rt, field);
        return Value(field.text());
    case Type:
        return Value(field.editable ? QStringLiteral("input") : QStringLiteral("dynamic"));
    case HtmlText:
        pullVariable(rt, field);
        return Value(field.htmlText());
    case Variable:
        return field.variable.isEmpty() ? Value::null() : Value(field.variable);
    case HScroll:
        return Value(field.hscroll);
    case MaxHScroll:
        return Value(field.maxHScroll());
    case MaxChars:
        return field.maxChars ? Value(*field.maxChars) : Value::null();
    case Length:
        return Value(int(field.text().size()));
    case BottomScroll:
        return Value(field.bottomScroll());
    case TextWidth:
        return Value(std::trunc(field.layout().width / 20));
    case TextHeight:
        return Value(std::trunc(field.layout().height / 20));
    case Restrict:
        return nullOr(field.restrict);
    case StyleSheet:
        return stateOf(self).styleSheet;
    default:
        return {};
    }
}

// A text change a script makes reaches a bound variable too.
void pushVariable(Runtime& rt, EditField& field);

void writeProperty(Runtime& rt, EditField& field, Object* self, int p, const Value& v)
{
    auto number = [&] { return rt.toNumber(v); };
    if (bool EditField::*flag = kProperties[p].flag)
        field.*flag = rt.toBoolean(v);
    switch (p) {
    case GridFitType: {
        const QString t = rt.toString(v);
        if (t == QLatin1String("none") || t == QLatin1String("pixel") || t == QLatin1String("subpixel"))
            field.gridFitType = t;
        break;
    }
    case AntiAliasType: {
        const QString t = rt.toString(v);
        if (t == QLatin1String("normal") || t == QLatin1String("advanced"))
            field.antiAliasType = t;
        break;
    }
    case Thickness:
        field.thickness = number();
        break;
    case Sharpness:
        field.sharpness = number();
        break;
    case Filters: {
        std::vector<Value> filters;
        if (Object* list = v.object())
            filters = arrayElements(rt, list);
        stateOf(self).filters = std::move(filters);
        break;
    }
    case Scroll: {
        const double n = number();
        if (std::isfinite(n))
            field.scroll = std::clamp(int(n), 1, field.maxScroll());
        break;
    }
    case HScroll: {
        const double n = number();
        if (std::isfinite(n))
            field.hscroll = std::clamp(int(n), 0, field.maxHScroll());
        break;
    }
    case BorderColor:
        field.borderColor = avm1::toUint32(number()) & 0xFFFFFF;
        break;
    case BackgroundColor:
        field.backgroundColor = avm1::toUint32(number()) & 0xFFFFFF;
        break;
    case TextColor:
        field.setTextColor(avm1::toUint32(number()));
        break;
    case TabIndex:
        stateOf(self).tabIndex = v.isUndefined() ? Value() : Value(double(avm1::toUint32(number())));
        break;
    case AutoSizeProperty: {
        field.autoSize = EditField::AutoSize::None;
        if (v.isBoolean()) {
            field.autoSize = v.boolean() ? EditField::AutoSize::Left : EditField::AutoSize::None;
        } else {
            const QString t = rt.toString(v);
            for (int i = 0; i < 4; ++i)
                if (t == QLatin1String(kAutoSizes[i]))
                    field.autoSize = EditField::AutoSize(i);
        }
        break;
    }
    case Text:
        field.setText(rt.checkedString(rt.toString(v)));
        pushVariable(rt, field);
        break;
    case Type: {
        const QString t = rt.toString(v);
        if (t.compare(QLatin1String("input"), Qt::CaseInsensitive) == 0)
            field.editable = true;
        else if (t.compare(QLatin1String("dynamic"), Qt::CaseInsensitive) == 0)
            field.editable = false;
        break;
    }
    case HtmlText:
        field.setHtmlText(rt.checkedString(rt.toString(v)));
        pushVariable(rt, field);
        break;
    case Variable:
        field.variable = v.isNullish() ? QString() : rt.toString(v);
        if (!field.variable.isEmpty())
            rt.syncFieldVariables();
        break;
    case MaxChars: {
        const qint32 n = rt.toInt32(v);
        field.maxChars = n > 0 ? std::optional<int>(n) : std::nullopt;
        break;
    }
    case Restrict:
        field.restrict = v.isNullish() ? std::nullopt : std::optional<QString>(rt.toString(v));
        break;
    case StyleSheet:
        stateOf(self).styleSheet = v.isObject() ? v : Value();
        break;
    default:
        break;
    }
    field.changed();
    rt.host().displayChanged();
}

// The getter and setter of every property: the property is the number the
// function object holds. On anything but a field they do nothing.
int propertyOf(const NativeCall& c)
{
    const int p = c.callee ? int(c.callee->primitive.number()) : -1;
    return p >= 0 && p < kPropertyCount ? p : -1;
}

Value fieldGet(Runtime& rt, NativeCall& c)
{
    auto field = rt.fieldOf(c.self);
    const int p = propertyOf(c);
    return field && p >= 0 ? readProperty(rt, *field, c.self, p) : Value();
}

Value fieldSet(Runtime& rt, NativeCall& c)
{
    const int p = propertyOf(c);
    if (auto field = rt.fieldOf(c.self); field && p >= 0)
        writeProperty(rt, *field, c.self, p, c.arg(0));
    return {};
}

// A script's range [begin, end) of a field's text: none for all of it,
// one index for one character.
void rangeOf(Runtime& rt, NativeCall& c, qsizetype count, qsizetype size, qsizetype& begin, qsizetype& end)
{
    begin = 0;
    end = size;
    if (count >= 1) {
        begin = std::clamp<qsizetype>(rt.toInt32(c.arg(0)), 0, size);
        end = count >= 2 ? std::clamp<qsizetype>(rt.toInt32(c.arg(1)), 0, size) : std::min(begin + 1, size);
    }
}

// A field's format as scripts get it: sizes, margins, indents and leading
// in whole pixels.
TextFormat scriptUnits(TextFormat f)
{
    for (std::optional<double>* v : {&f.size, &f.leftMargin, &f.rightMargin, &f.indent, &f.leading, &f.blockIndent})
        if (*v)
            **v = std::trunc(**v);
    return f;
}

Value fieldGetTextFormat(Runtime& rt, NativeCall& c)
{
    auto field = rt.fieldOf(c.self);
    if (!field)
        return {};
    qsizetype begin = 0, end = 0;
    rangeOf(rt, c, std::min<qsizetype>(c.count(), 2), field->text().size(), begin, end);
    return Value(newTextFormatObject(rt, scriptUnits(field->format(begin, std::max(begin, end)))));
}

// The attributes of a script's TextFormat in the units a field keeps.
TextFormat fieldUnits(const TextFormat& f)
{
    TextFormat out = f;
    if (out.color)
        *out.color &= 0xFFFFFF;
    return out;
}

Value fieldSetTextFormat(Runtime& rt, NativeCall& c)
{
    auto field = rt.fieldOf(c.self);
    if (!field || c.count() == 0)
        return {};
    const TextFormat* format = textFormatOf(c.arg(c.count() - 1).object());
    if (!format)
        return {};
    qsizetype begin = 0, end = 0;
    rangeOf(rt, c, std::min<qsizetype>(c.count() - 1, 2), field->text().size(), begin, end);
    field->setFormat(begin, end, fieldUnits(*format));
    rt.host().displayChanged();
    return {};
}

Value fieldGetNewTextFormat(Runtime& rt, NativeCall& c)
{
    auto field = rt.fieldOf(c.self);
    return field ? Value(newTextFormatObject(rt, scriptUnits(field->newFormat()))) : Value();
}

Value fieldSetNewTextFormat(Runtime& rt, NativeCall& c)
{
    auto field = rt.fieldOf(c.self);
    const TextFormat* format = textFormatOf(c.arg(0).object());
    if (field && format)
        field->setNewFormat(fieldUnits(*format));
    return {};
}

Value fieldReplaceSel(Runtime& rt, NativeCall& c)
{
    auto field = rt.fieldOf(c.self);
    if (!field || c.count() == 0)
        return {};
    const QString text = fieldLineBreaks(rt.checkedString(rt.toString(c.arg(0))));
    const qsizetype size = field->text().size();
    const qsizetype begin = std::clamp<qsizetype>(std::min(field->selectionBegin, field->selectionEnd), 0, size);
    const qsizetype end = std::clamp<qsizetype>(std::max(field->selectionBegin, field->selectionEnd), 0, size);
    field->replaceText(begin, end, text);
    field->selectionBegin = field->selectionEnd = begin + text.size();
    pushVariable(rt, *field);
    rt.host().displayChanged();
    return {};
}

Value fieldReplaceText(Runtime& rt, NativeCall& c)
{
    auto field = rt.fieldOf(c.self);
    if (!field || c.count() < 3)
        return {};
    const double begin = rt.toNumber(c.arg(0)), end = rt.toNumber(c.arg(1));
    const qsizetype size = field->text().size();
    if (!(begin >= 0) || !(end >= begin) || begin > size)
        return {};
    field->replaceText(qsizetype(begin), qsizetype(std::min<double>(end, double(size))),
                       rt.checkedString(rt.toString(c.arg(2))));
    pushVariable(rt, *field);
    rt.host().displayChanged();
    return {};
}

Value fieldRemoveTextField(Runtime& rt, NativeCall& c)
{
    if (auto field = rt.fieldOf(c.self))
        rt.removeField(*field);
    return {};
}

Value fieldGetDepth(Runtime& rt, NativeCall& c)
{
    auto field = rt.fieldOf(c.self);
    return field ? Value(field->depth - kDepthBias) : Value();
}

Value fieldConstructor(Runtime&, NativeCall& c) { return c.constructing ? Value(c.self) : Value(); }

Value fieldGetFontList(Runtime& rt, NativeCall&)
{
    const Value names[] = {Value(QStringLiteral("_sans")), Value(QStringLiteral("_serif")),
                           Value(QStringLiteral("_typewriter"))};
    return Value(rt.newArray(names));
}

// MovieClip.createTextField(name, depth, x, y, width, height): whole
// pixels, cut toward zero; from version 8 it gives the new field.
Value clipCreateTextField(Runtime& rt, NativeCall& c)
{
    auto clip = rt.clipOf(c.self);
    if (!clip || c.count() < 6)
        return {};
    const QString name = rt.toString(c.arg(0));
    const qint64 key = qint64(rt.toInt32(c.arg(1))) + kDepthBias;
    if (key < 0 || key > kMaxDepth)
        return {};
    double box[4];
    for (int i = 0; i < 4; ++i)
        box[i] = rt.toInt32(c.arg(2 + i)) * 20.0;
    const QRectF rect(box[0], box[1], std::abs(box[2]), std::abs(box[3]));
    EditField* field = rt.host().createTextField(*clip, name, int(key), rect);
    if (!field || rt.version() < 8)
        return {};
    return Value(rt.fieldObject(*field));
}

Activation scratchActivation(Runtime& rt, SpriteInstance& clip)
{
    Activation a;
    Object* self = rt.clipObject(clip);
    a.scope = rt.timelineScope(self);
    a.baseClip = a.target = self;
    a.thisValue = Value(self);
    a.version = rt.version();
    return a;
}

void pullVariable(Runtime& rt, EditField& field)
{
    auto parent = field.parent.lock();
    if (field.variable.isEmpty() || !parent)
        return;
    Activation a = scratchActivation(rt, *parent);
    const Value v = rt.getVariable(a, field.variable);
    if (v.isUndefined()) {
        rt.setVariable(a, field.variable, Value(field.html ? field.htmlText() : field.text()));
        return;
    }
    const QString shown = rt.toString(v);
    if (shown == (field.html ? field.htmlText() : field.text()))
        return;
    if (field.html)
        field.setHtmlText(shown);
    else
        field.setText(shown);
    rt.host().displayChanged();
}

void pushVariable(Runtime& rt, EditField& field)
{
    auto parent = field.parent.lock();
    if (field.variable.isEmpty() || !parent)
        return;
    Activation a = scratchActivation(rt, *parent);
    rt.setVariable(a, field.variable, Value(field.html ? field.htmlText() : field.text()));
}

} // namespace

Object* Runtime::fieldObject(EditField& field)
{
    if (!field.object) {
        auto* o = heap_.make<Object>(Object::Kind::TextField);
        define(o, QStringLiteral("__proto__"), Value(protos.textField), DontEnum | DontDelete);
        o->field = field.weak_from_this();
        field.object = o;
        fields_.push_back(field.weak_from_this());
        // A field broadcasts its own events (onChanged, onScroller ...) and hears them first.
        initializeBroadcaster(*this, o, true);
    }
    return field.object;
}

std::shared_ptr<EditField> Runtime::fieldOf(Object* object)
{
    if (!object || object->kind != Object::Kind::TextField)
        return nullptr;
    auto field = object->field.lock();
    return field && !field->removed ? field : nullptr;
}

std::shared_ptr<EditField> Runtime::targetField(Activation& a, const Value& target)
{
    if (auto field = fieldOf(target.object()))
        return field;
    const QString path = toString(target);
    Object* start = a.target && clipOf(a.target) ? a.target : a.baseClip;
    if (path.isEmpty() || !start)
        return nullptr;
    return fieldOf(resolveTargetPath(a, start, path, true, false));
}

void Runtime::removeField(EditField& field)
{
    // Timeline depths are the timeline's.
    if (field.depth >= kDepthBias && field.depth < kMaxRemoveDepth) {
        dropFocusWithin(field.object);
        host_.removeTextField(field);
    }
}

DisplayObject* Runtime::fieldPlacement(EditField& field)
{
    auto parent = field.parent.lock();
    if (!parent || field.removed)
        return nullptr;
    const auto it = parent->objects.find(field.depth);
    return it != parent->objects.end() && it->second.field.get() == &field ? &it->second : nullptr;
}

QString Runtime::fieldPath(EditField& field, bool slashes)
{
    auto parent = field.parent.lock();
    const DisplayObject* placed = fieldPlacement(field);
    if (!parent || !placed)
        return {};
    const QString path = targetPath(*parent, slashes);
    if (!slashes)
        return path + u'.' + placed->name;
    return path.endsWith(u'/') ? path + placed->name : path + u'/' + placed->name;
}

void Runtime::syncFieldVariables()
{
    const std::vector<std::weak_ptr<EditField>> fields = fields_;
    for (const auto& weak : fields)
        if (auto field = weak.lock(); field && !field->removed && !field->variable.isEmpty())
            pullVariable(*this, *field);
}

void installTextFieldBuiltins(Runtime& rt, Object* global)
{
    Object* proto = rt.newObject();
    rt.protos.textField = proto;
    Object* textField = rt.newClass(fieldConstructor, proto);
    for (int i = 0; i < kPropertyCount; ++i) {
        const PropertySpec& entry = kProperties[i];
        Object* getter = rt.newFunction(fieldGet);
        getter->primitive = Value(i);
        Object* setter = nullptr;
        if (!entry.readOnly) {
            setter = rt.newFunction(fieldSet);
            setter->primitive = Value(i);
        }
        const QString name = QString::fromLatin1(entry.name);
        Property& p = proto->properties.add(rt.key(name), name);
        p.getter = getter;
        p.setter = setter;
        p.minVersion = entry.minVersion;
    }
    defineMethods(rt, proto,
                  {{"replaceSel", fieldReplaceSel},
                   {"getTextFormat", fieldGetTextFormat},
                   {"setTextFormat", fieldSetTextFormat},
                   {"removeTextField", fieldRemoveTextField},
                   {"getNewTextFormat", fieldGetNewTextFormat},
                   {"setNewTextFormat", fieldSetNewTextFormat},
                   {"getDepth", fieldGetDepth},
                   {"replaceText", fieldReplaceText, 8}});
    defineMethods(rt, textField, {{"getFontList", fieldGetFontList}});
    installStyleSheetBuiltins(rt, textField);
    rt.define(global, QStringLiteral("TextField"), Value(textField), DontEnum);
    defineMethods(rt, rt.protos.movieClip, {{"createTextField", clipCreateTextField, 6}});
    installTextFormatBuiltins(rt, global);
    installTextSnapshotBuiltins(rt, global);
}

} // namespace movie::avm1
