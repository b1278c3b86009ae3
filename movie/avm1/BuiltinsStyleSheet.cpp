// TextField.StyleSheet: styles by selector, kept as the player keeps them
// (_css: shallow copies of what was given; _styles: what transform made of
// them), and its reader of CSS text.

#include "movie/avm1/Builtins.h"
#include "movie/avm1/TextBuiltins.h"

#include <QStringList>
#include <optional>

namespace movie::avm1 {

namespace {

using Declarations = std::vector<std::pair<QString, QString>>;
struct Rule {
    QString selector;
    Declarations declarations;
};

bool isWhite(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// "font-size" is "fontSize": a dash goes, the character after it is upper case.
QString propertyName(const QString& css)
{
    QString name;
    for (qsizetype i = 0; i < css.size(); ++i) {
        if (css[i] == u'-' && i + 1 < css.size())
            name += css[++i].toUpper();
        else if (css[i] != u'-')
            name += css[i];
    }
    return name;
}

// CSS as the player reads it: selectors (a comma list, each without white
// space inside) before a block of "name: value" declarations split by ";".
// A name runs to its ":" (a "}" may be part of it), keeping its trailing
// spaces; a value runs to ";" or "}". Any fault makes the whole text count
// for nothing.
std::optional<std::vector<Rule>> parseCss(const QString& text)
{
    std::vector<Rule> rules;
    const qsizetype end = text.size();
    qsizetype i = 0;
    auto skipWhite = [&] {
        while (i < end && isWhite(text[i]))
            ++i;
    };
    for (;;) {
        skipWhite();
        if (i >= end)
            return rules;
        const qsizetype open = text.indexOf(u'{', i);
        if (open < 0)
            return std::nullopt;
        QStringList selectors = text.mid(i, open - i).split(u',');
        for (QString& s : selectors) {
            s = s.trimmed();
            if (s.isEmpty() || std::any_of(s.cbegin(), s.cend(), isWhite))
                return std::nullopt;
        }
        i = open + 1;
        Declarations declarations;
        for (;;) {
            skipWhite();
            const qsizetype nameStart = i;
            bool spaced = false, closed = false;
            for (; i < end && text[i] != u':'; ++i) {
                if (text[i] == u'}' && i == nameStart) {
                    closed = true;
                    break;
                }
                if (isWhite(text[i]))
                    spaced = true;
                else if (spaced)
                    return std::nullopt;
            }
            if (closed) {
                ++i;
                break;
            }
            if (i >= end) {
                if (i == nameStart)
                    break; // the text ends the block
                return std::nullopt;
            }
            const QString name = text.mid(nameStart, i - nameStart);
            ++i;
            skipWhite();
            const qsizetype valueStart = i;
            while (i < end && text[i] != u';' && text[i] != u'}')
                ++i;
            if (i >= end)
                return std::nullopt;
            if (!name.isEmpty())
                declarations.emplace_back(propertyName(name), text.mid(valueStart, i - valueStart));
            if (text[i++] == u'}')
                break;
        }
        for (const QString& s : std::as_const(selectors))
            rules.push_back({s, declarations});
    }
}

// A copy of an object's own properties; null for anything but an object.
Value shallowCopy(Runtime& rt, const Value& v)
{
    Object* from = v.object();
    if (!from)
        return Value::null();
    Object* copy = rt.newObject();
    for (const QString& name : rt.enumerate(from))
        rt.set(copy, name, rt.get(from, name));
    return Value(copy);
}

Object* member(Runtime& rt, Object* self, const QString& name)
{
    Object* o = rt.get(self, name).object();
    if (!o) {
        o = rt.newObject();
        rt.set(self, name, Value(o));
    }
    return o;
}

const QString kCss = QStringLiteral("_css");
const QString kStyles = QStringLiteral("_styles");

// A style by its selector: a copy in _css, and what transform makes of
// it in _styles.
void keepStyle(Runtime& rt, Object* self, const QString& selector, const Value& style)
{
    Object* css = member(rt, self, kCss);
    Object* styles = member(rt, self, kStyles);
    rt.set(css, selector, style);
    rt.set(styles, selector,
           rt.callMethod(Value(self), QStringLiteral("transform"), std::span<const Value>(&style, 1)));
}

Value sheetSetStyle(Runtime& rt, NativeCall& c)
{
    if (c.self)
        keepStyle(rt, c.self, rt.toString(c.arg(0)), shallowCopy(rt, c.arg(1)));
    return {};
}

Value sheetGetStyle(Runtime& rt, NativeCall& c)
{
    Object* css = c.self ? rt.get(c.self, kCss).object() : nullptr;
    return css ? shallowCopy(rt, rt.get(css, rt.toString(c.arg(0)))) : Value::null();
}

Value sheetGetStyleNames(Runtime& rt, NativeCall& c)
{
    std::vector<Value> names;
    if (Object* css = c.self ? rt.get(c.self, kCss).object() : nullptr)
        for (const QString& name : rt.enumerate(css))
            names.emplace_back(name);
    return Value(rt.newArray(names));
}

Value sheetClear(Runtime& rt, NativeCall& c)
{
    if (c.self) {
        rt.set(c.self, kCss, Value(rt.newObject()));
        rt.set(c.self, kStyles, Value(rt.newObject()));
    }
    return {};
}

Value sheetParseCss(Runtime& rt, NativeCall& c)
{
    if (!c.self)
        return Value(false);
    const std::optional<std::vector<Rule>> rules = parseCss(rt.toString(c.arg(0)));
    if (!rules)
        return Value(false);
    for (const Rule& rule : *rules) {
        Object* style = rt.newObject();
        for (const auto& [name, value] : rule.declarations)
            rt.set(style, name, Value(value));
        keepStyle(rt, c.self, rule.selector, Value(style));
    }
    return Value(true);
}

// The TextFormat a style stands for: its CSS properties as the format's
// attributes.
Value sheetTransform(Runtime& rt, NativeCall& c)
{
    Object* style = c.arg(0).object();
    if (!style)
        return Value::null();
    TextFormat f;
    auto property = [&](const char* name) {
        const Value v = rt.get(style, QString::fromLatin1(name));
        return v.isNullish() ? QString() : rt.toString(v).trimmed();
    };
    auto pixels = [](const QString& v) { return std::optional<double>(v.toDouble()); };
    if (const QString v = property("color"); v.startsWith(u'#')) {
        bool ok = false;
        const uint rgb = v.mid(1).toUInt(&ok, 16);
        if (ok)
            f.color = rgb & 0xFFFFFF;
    }
    if (const QString v = property("fontFamily"); !v.isEmpty())
        f.font = v.section(u',', 0, 0).trimmed();
    if (const QString v = property("fontSize"); !v.isEmpty())
        f.size = std::trunc(QStringView(v).left(v.indexOf(QLatin1String("px"))).toDouble());
    if (const QString v = property("fontWeight"); v == QLatin1String("bold") || v == QLatin1String("normal"))
        f.bold = v == QLatin1String("bold");
    if (const QString v = property("fontStyle"); v == QLatin1String("italic") || v == QLatin1String("normal"))
        f.italic = v == QLatin1String("italic");
    if (const QString v = property("textDecoration"); v == QLatin1String("underline") || v == QLatin1String("none"))
        f.underline = v == QLatin1String("underline");
    if (const QString v = property("textAlign"); !v.isEmpty()) {
        static const char* const aligns[] = {"left", "right", "center", "justify"};
        for (int i = 0; i < 4; ++i)
            if (v == QLatin1String(aligns[i]))
                f.align = TextFormat::Align(i);
    }
    if (const QString v = property("marginLeft"); !v.isEmpty())
        f.leftMargin = pixels(v);
    if (const QString v = property("marginRight"); !v.isEmpty())
        f.rightMargin = pixels(v);
    if (const QString v = property("textIndent"); !v.isEmpty())
        f.indent = pixels(v);
    if (const QString v = property("leading"); !v.isEmpty())
        f.leading = pixels(v);
    if (const QString v = property("letterSpacing"); !v.isEmpty())
        f.letterSpacing = pixels(v);
    if (const QString v = property("kerning"); !v.isEmpty())
        f.kerning = v == QLatin1String("true");
    return Value(newTextFormatObject(rt, f));
}

// A style sheet beside the title is not read: no file is.
Value sheetLoad(Runtime&, NativeCall&) { return Value(false); }

Value sheetConstructor(Runtime&, NativeCall& c) { return c.constructing ? Value(c.self) : Value(); }

} // namespace

void installStyleSheetBuiltins(Runtime& rt, Object* textField)
{
    Object* proto = rt.newObject();
    Object* styleSheet = rt.newClass(sheetConstructor, proto);
    const std::pair<const char*, NativeFunction> methods[] = {
        {"clear", sheetClear},       {"getStyle", sheetGetStyle},   {"getStyleNames", sheetGetStyleNames},
        {"load", sheetLoad},         {"parseCSS", sheetParseCss},   {"parse", sheetParseCss},
        {"setStyle", sheetSetStyle}, {"transform", sheetTransform},
    };
    for (const auto& [name, fn] : methods)
        rt.method(proto, name, fn, DontEnum | DontDelete | ReadOnly);
    rt.define(textField, QStringLiteral("StyleSheet"), Value(styleSheet), DontEnum);
    textField->properties.find(rt.key(QStringLiteral("StyleSheet")))->minVersion = 7;
}

} // namespace movie::avm1
