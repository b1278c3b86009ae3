// TextFormat: the attributes of text, each read back as the player keeps
// it (numbers rounded, colours as 32 bits, unknown alignments refused),
// and getTextExtent.

#include "movie/avm1/Builtins.h"
#include "movie/avm1/NumberText.h"
#include "movie/avm1/TextBuiltins.h"
#include "movie/draw/TextLayout.h"

#include <cmath>

namespace movie::avm1 {

namespace {

// Font names are kept to this many characters.
constexpr qsizetype kMaxFontName = 64;

struct TextFormatState : NativeState {
    TextFormat format;
    QString display = QStringLiteral("block"); // kept for scripts; the text does not follow it
};

TextFormatState* fullStateOf(Object* o) { return o ? dynamic_cast<TextFormatState*>(o->state.get()) : nullptr; }

TextFormat* stateOf(Object* o)
{
    TextFormatState* state = fullStateOf(o);
    return state ? &state->format : nullptr;
}

TextFormat& ensureState(Object* o)
{
    if (!stateOf(o))
        o->state = std::make_unique<TextFormatState>();
    return *stateOf(o);
}

// How an attribute is kept and set.
enum class Kind : quint8 { Text, Whole, Margin, Number, Flag, Color, Align, Stops };

struct FormatAttribute {
    const char* name;
    Kind kind;
    std::optional<QString> TextFormat::*text = nullptr;
    std::optional<double> TextFormat::*number = nullptr;
    std::optional<bool> TextFormat::*flag = nullptr;
};

// The attributes, the first thirteen in the order the constructor takes them.
const FormatAttribute kAttributes[] = {
    {"font", Kind::Text, &TextFormat::font},
    {"size", Kind::Whole, nullptr, &TextFormat::size},
    {"color", Kind::Color},
    {"bold", Kind::Flag, nullptr, nullptr, &TextFormat::bold},
    {"italic", Kind::Flag, nullptr, nullptr, &TextFormat::italic},
    {"underline", Kind::Flag, nullptr, nullptr, &TextFormat::underline},
    {"url", Kind::Text, &TextFormat::url},
    {"target", Kind::Text, &TextFormat::target},
    {"align", Kind::Align},
    {"leftMargin", Kind::Margin, nullptr, &TextFormat::leftMargin},
    {"rightMargin", Kind::Margin, nullptr, &TextFormat::rightMargin},
    {"indent", Kind::Whole, nullptr, &TextFormat::indent},
    {"leading", Kind::Whole, nullptr, &TextFormat::leading},
    {"blockIndent", Kind::Whole, nullptr, &TextFormat::blockIndent},
    {"tabStops", Kind::Stops},
    {"bullet", Kind::Flag, nullptr, nullptr, &TextFormat::bullet},
    {"kerning", Kind::Flag, nullptr, nullptr, &TextFormat::kerning},
    {"letterSpacing", Kind::Number, nullptr, &TextFormat::letterSpacing},
};
constexpr int kAttributeCount = int(std::size(kAttributes));
constexpr int kConstructorArguments = 13;

const char* const kAligns[] = {"left", "right", "center", "justify"};

// Set by a script: rounded to the nearest whole number, halves to even;
// what does not fit 32 bits becomes the least 32-bit number.
double roundedInteger(double v)
{
    if (!std::isfinite(v))
        return -2147483648.0;
    const double r = std::nearbyint(v);
    return r < -2147483648.0 || r > 2147483647.0 ? -2147483648.0 : r;
}

std::optional<TextFormat::Align> alignOf(const QString& text)
{
    for (int i = 0; i < 4; ++i)
        if (text.compare(QLatin1String(kAligns[i]), Qt::CaseInsensitive) == 0)
            return TextFormat::Align(i);
    return std::nullopt;
}

// Sets one attribute from a script's value: by the setter's rules, or by
// the constructor's, which cuts numbers toward zero and lets margins be
// negative. Null takes an attribute away; an alignment stays.
void assign(Runtime& rt, TextFormat& f, const FormatAttribute& a, const Value& v, bool constructing)
{
    const bool none = v.isNullish();
    switch (a.kind) {
    case Kind::Text:
        if (none)
            (f.*a.text).reset();
        else
            f.*a.text = a.text == &TextFormat::font ? rt.toString(v).left(kMaxFontName) : rt.toString(v);
        break;
    case Kind::Whole:
    case Kind::Margin: {
        if (none) {
            (f.*a.number).reset();
            break;
        }
        const double n = rt.toNumber(v);
        if (constructing)
            f.*a.number = double(avm1::toInt32(n));
        else
            f.*a.number = roundedInteger(a.kind == Kind::Margin ? (n > 0 ? n : 0) : n);
        break;
    }
    case Kind::Number:
        f.*a.number = none ? std::nullopt : std::optional<double>(rt.toNumber(v));
        break;
    case Kind::Flag:
        f.*a.flag = none ? std::nullopt : std::optional<bool>(rt.toBoolean(v));
        break;
    case Kind::Color:
        f.color = none ? std::nullopt : std::optional<quint32>(avm1::toUint32(rt.toNumber(v)));
        break;
    case Kind::Align:
        if (const auto align = none ? std::nullopt : alignOf(rt.toString(v)))
            f.align = align;
        break;
    case Kind::Stops:
        if (none) {
            f.tabStops.reset();
        } else if (Object* list = v.object()) {
            std::vector<double> stops;
            for (const Value& item : arrayElements(rt, list))
                stops.push_back(roundedInteger(rt.toNumber(item)));
            f.tabStops = stops;
        }
        break;
    }
}

Value read(Runtime& rt, const TextFormat& f, const FormatAttribute& a)
{
    switch (a.kind) {
    case Kind::Text:
        return f.*a.text ? Value(*(f.*a.text)) : Value::null();
    case Kind::Whole:
    case Kind::Margin:
    case Kind::Number:
        return f.*a.number ? Value(*(f.*a.number)) : Value::null();
    case Kind::Flag:
        return f.*a.flag ? Value(*(f.*a.flag)) : Value::null();
    case Kind::Color:
        return f.color ? Value(double(*f.color)) : Value::null();
    case Kind::Align:
        return f.align ? Value(QString::fromLatin1(kAligns[int(*f.align)])) : Value::null();
    case Kind::Stops: {
        if (!f.tabStops)
            return Value::null();
        const std::vector<Value> items(f.tabStops->begin(), f.tabStops->end());
        return Value(rt.newArray(items));
    }
    }
    return {};
}

// The getter and setter of every attribute: the attribute is the number the
// function object holds.
const FormatAttribute* attributeOf(const NativeCall& c)
{
    const int i = c.callee ? int(c.callee->primitive.number()) : -1;
    return i >= 0 && i < kAttributeCount ? &kAttributes[i] : nullptr;
}

Value formatGet(Runtime& rt, NativeCall& c)
{
    const TextFormat* f = stateOf(c.self);
    const FormatAttribute* a = attributeOf(c);
    return f && a ? read(rt, *f, *a) : Value();
}

Value formatSet(Runtime& rt, NativeCall& c)
{
    TextFormat* f = stateOf(c.self);
    if (const FormatAttribute* a = attributeOf(c); f && a)
        assign(rt, *f, *a, c.arg(0), false);
    return {};
}

Value formatGetDisplay(Runtime&, NativeCall& c)
{
    const TextFormatState* state = fullStateOf(c.self);
    return state ? Value(state->display) : Value();
}

Value formatSetDisplay(Runtime& rt, NativeCall& c)
{
    if (TextFormatState* state = fullStateOf(c.self))
        state->display = rt.toString(c.arg(0));
    return {};
}

Value formatConstructor(Runtime& rt, NativeCall& c)
{
    if (!c.self)
        return {};
    TextFormat& f = ensureState(c.self);
    for (int i = 0; i < kConstructorArguments && i < c.count(); ++i)
        assign(rt, f, kAttributes[i], c.arg(i), true);
    return {};
}

Value formatCall(Runtime&, NativeCall&) { return {}; }

// The room `text` takes in this format, in the system's fonts: its width
// and height, and those of a field that holds it (wrapped at `width` when
// one is given).
Value formatGetTextExtent(Runtime& rt, NativeCall& c)
{
    const TextFormat* own = stateOf(c.self);
    if (!own)
        return {};
    TextFormat f = TextFormat::defaults();
    f.apply(*own);
    FieldText text;
    text.append(fieldLineBreaks(rt.toString(c.arg(0))), f);
    TextBox box;
    box.width = 1e9;
    if (c.count() > 1 && !c.arg(1).isNullish()) {
        const double width = rt.toNumber(c.arg(1));
        if (std::isfinite(width) && width > 0) {
            box.width = width * 20;
            box.wordWrap = true;
        }
    }
    const TextLayout layout = layOutText(text, box, nullptr);
    const double ascent = layout.lines.empty() ? 0 : layout.lines.front().ascent;
    const double descent = layout.lines.empty() ? 0 : layout.lines.front().descent;
    Object* extent = rt.newObject();
    rt.set(extent, QStringLiteral("ascent"), Value(ascent / 20));
    rt.set(extent, QStringLiteral("descent"), Value(descent / 20));
    rt.set(extent, QStringLiteral("width"), Value(layout.width / 20));
    rt.set(extent, QStringLiteral("height"), Value(layout.height / 20));
    rt.set(extent, QStringLiteral("textFieldHeight"), Value((layout.height + 2 * kFieldGutter) / 20));
    rt.set(extent, QStringLiteral("textFieldWidth"),
           Value((box.wordWrap ? box.width : layout.width + 2 * kFieldGutter) / 20));
    return Value(extent);
}

} // namespace

Object* newTextFormatObject(Runtime& rt, const TextFormat& format)
{
    Object* o = rt.newObject(rt.protos.textFormat);
    ensureState(o) = format;
    return o;
}

const TextFormat* textFormatOf(Object* object) { return stateOf(object); }

void installTextFormatBuiltins(Runtime& rt, Object* global)
{
    Object* proto = rt.newObject();
    rt.protos.textFormat = proto;
    Object* textFormat = rt.newClass(formatCall, proto, formatConstructor);
    for (int i = kAttributeCount; i-- > 0;) {
        Object* getter = rt.newFunction(formatGet);
        Object* setter = rt.newFunction(formatSet);
        getter->primitive = setter->primitive = Value(i);
        const QString name = QString::fromLatin1(kAttributes[i].name);
        Property& p = proto->properties.add(rt.key(name), name);
        p.getter = getter;
        p.setter = setter;
    }
    const QString display = QStringLiteral("display");
    Property& p = proto->properties.add(rt.key(display), display);
    p.getter = rt.newFunction(formatGetDisplay);
    p.setter = rt.newFunction(formatSetDisplay);
    p.minVersion = 8;
    defineMethods(rt, proto, {{"getTextExtent", formatGetTextExtent}});
    rt.define(global, QStringLiteral("TextFormat"), Value(textFormat), DontEnum);
}

} // namespace movie::avm1
