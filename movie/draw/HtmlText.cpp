// The HTML of edit fields: read into formatted text, and written from it.
#include "movie/draw/HtmlText.h"

#include "movie/Limits.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace movie {

namespace {

bool isWhite(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// A tag as written: its name in lower case and its attributes.
struct Tag {
    QString name;
    bool closing = false;
    bool selfClosing = false;                            // <b/>: opened and closed at once
    std::vector<std::pair<QString, QString>> attributes; // names in lower case

    const QString* attribute(const char* key) const
    {
        for (const auto& [name, value] : attributes)
            if (name == QLatin1String(key))
                return &value;
        return nullptr;
    }
};

Tag parseTag(QStringView inside)
{
    Tag tag;
    tag.selfClosing = inside.trimmed().endsWith(u'/');
    qsizetype i = 0;
    auto skipWhite = [&] {
        while (i < inside.size() && inside[i].isSpace())
            ++i;
    };
    skipWhite();
    if (i < inside.size() && inside[i] == u'/') {
        tag.closing = true;
        ++i;
    }
    const qsizetype nameStart = i;
    while (i < inside.size() && !inside[i].isSpace() && inside[i] != u'/')
        ++i;
    tag.name = inside.mid(nameStart, i - nameStart).toString().toLower();
    while (i < inside.size()) {
        skipWhite();
        const qsizetype keyStart = i;
        while (i < inside.size() && !inside[i].isSpace() && inside[i] != u'=' && inside[i] != u'/')
            ++i;
        const QString key = inside.mid(keyStart, i - keyStart).toString().toLower();
        skipWhite();
        QString value;
        if (i < inside.size() && inside[i] == u'=') {
            ++i;
            skipWhite();
            if (i < inside.size() && (inside[i] == u'"' || inside[i] == u'\'')) {
                const QChar quote = inside[i++];
                const qsizetype end = inside.indexOf(quote, i);
                const qsizetype stop = end < 0 ? inside.size() : end;
                value = decodeEntities(inside.mid(i, stop - i));
                i = stop + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < inside.size() && !inside[i].isSpace())
                    ++i;
                value = decodeEntities(inside.mid(valueStart, i - valueStart));
            }
        }
        if (!key.isEmpty())
            tag.attributes.emplace_back(key, value);
        else if (keyStart == i)
            ++i; // a stray "/" or "="
    }
    return tag;
}

// A whole number at the start of `text`, after an optional sign; false
// when there are no digits.
bool leadingInteger(const QString& text, double& value, bool& relative)
{
    qsizetype i = 0;
    relative = !text.isEmpty() && (text[0] == u'+' || text[0] == u'-');
    const bool negative = !text.isEmpty() && text[0] == u'-';
    if (relative)
        ++i;
    const qsizetype digits = i;
    double v = 0;
    while (i < text.size() && text[i].isDigit() && i - digits < 10)
        v = v * 10 + text[i++].digitValue();
    if (i == digits)
        return false;
    value = negative ? -v : v;
    return true;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// "#RRGGBB": white space may follow the "#"; the hex digits that follow
// count, the last six of them.
bool parseColor(const QString& text, quint32& color)
{
    if (!text.startsWith(u'#'))
        return false;
    qsizetype i = 1;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    quint32 v = 0;
    for (int digit = 0; i < text.size() && (digit = hexDigit(text[i])) >= 0; ++i)
        v = (v << 4 | quint32(digit)) & 0xFFFFFF;
    if (i == start)
        return false;
    color = v;
    return true;
}

class Reader {
public:
    Reader(const TextFormat& base, const HtmlReading& how) : base_(base), current_(base), how_(how) {}

    void text(QStringView raw)
    {
        QString t = decodeEntities(raw);
        if (!how_.condenseWhite) {
            if (std::all_of(t.cbegin(), t.cend(), isWhite))
                return; // white space between tags is layout of the source
            add(fieldLineBreaks(t), current_);
            return;
        }
        QString condensed;
        for (const QChar c : std::as_const(t)) {
            if (!isWhite(c)) {
                condensed += c;
                continue;
            }
            const QString& before = text_;
            const QChar last = !condensed.isEmpty() ? condensed.back()
                : before.isEmpty()                  ? QChar(u'\r')
                                                    : before.back();
            if (!isWhite(last))
                condensed += u' ';
        }
        add(condensed, current_);
    }

    void tag(const Tag& tag)
    {
        if (tag.closing) {
            close(tag.name);
            return;
        }
        if (tag.name == QLatin1String("br")) {
            if (how_.breaks)
                add(QStringLiteral("\r"), current_);
            return;
        }
        if (static_cast<int>(open_.size()) >= limits::kMaxHtmlNesting)
            return;
        open_.push_back({tag.name, current_, true});
        if (tag.name == QLatin1String("p")) {
            // A paragraph opened in another only ends the innermost.
            for (Open& o : open_)
                if (o.name == QLatin1String("p") && &o != &open_.back())
                    o.breaks = false;
            if (const QString* align = tag.attribute("align"))
                alignFrom(*align);
        } else if (tag.name == QLatin1String("li")) {
            if (how_.breaks && !lineEmpty())
                add(QStringLiteral("\r"), current_);
            current_.bullet = true;
        } else if (tag.name == QLatin1String("b")) {
            current_.bold = true;
        } else if (tag.name == QLatin1String("i")) {
            current_.italic = true;
        } else if (tag.name == QLatin1String("u")) {
            current_.underline = true;
        } else if (tag.name == QLatin1String("a")) {
            const QString* href = tag.attribute("href");
            const QString* target = tag.attribute("target");
            current_.url = href ? *href : QString();
            current_.target = target ? *target : QString();
        } else if (tag.name == QLatin1String("font")) {
            fontTag(tag);
        } else if (tag.name == QLatin1String("textformat")) {
            textFormatTag(tag);
        }
        if (tag.selfClosing)
            close(tag.name);
    }

    FieldText finish() const { return FieldText::joined(pieces_); }

private:
    struct Open {
        QString name;
        TextFormat before;
        bool breaks; // a paragraph that ends a line when it closes
    };

    bool lineEmpty() const { return text_.isEmpty() || text_.back() == u'\r'; }

    void add(const QString& text, const TextFormat& format)
    {
        if (text.isEmpty())
            return;
        text_ += text;
        pieces_.emplace_back(text, format);
    }

    void close(const QString& name)
    {
        // Only the innermost open tag closes: mismatched ones are passed over.
        if (open_.empty() || open_.back().name != name)
            return;
        const Open o = open_.back();
        if (how_.breaks && name == QLatin1String("li")) {
            add(QStringLiteral("\r"), current_);
        } else if (how_.breaks && name == QLatin1String("p") && o.breaks) {
            // The paragraph's end takes the characters of the last font
            // that closed, or of the field.
            TextFormat end = lastFont_ ? *lastFont_ : base_;
            end.apply(current_.paragraphPart());
            add(QStringLiteral("\r"), end);
        } else if (name == QLatin1String("font")) {
            lastFont_ = current_;
        }
        current_ = o.before;
        open_.pop_back();
    }

    void alignFrom(const QString& value)
    {
        const QString a = value.toLower();
        if (a == QLatin1String("left"))
            current_.align = TextFormat::Align::Left;
        else if (a == QLatin1String("right"))
            current_.align = TextFormat::Align::Right;
        else if (a == QLatin1String("center"))
            current_.align = TextFormat::Align::Center;
        else if (a == QLatin1String("justify"))
            current_.align = TextFormat::Align::Justify;
    }

    void fontTag(const Tag& tag)
    {
        if (const QString* face = tag.attribute("face"))
            current_.font = *face;
        if (const QString* size = tag.attribute("size")) {
            double v = 0;
            bool relative = false;
            if (leadingInteger(*size, v, relative)) {
                const double from = relative ? std::trunc(current_.size.value_or(12)) : 0;
                current_.size = std::clamp(from + v, 1.0, 127.0);
            }
        }
        if (const QString* color = tag.attribute("color")) {
            quint32 rgb = 0;
            if (parseColor(*color, rgb))
                current_.color = rgb;
        }
        if (const QString* kerning = tag.attribute("kerning"); kerning && how_.kerning)
            current_.kerning = kerning->toInt() != 0;
        if (const QString* spacing = tag.attribute("letterspacing")) {
            bool ok = false;
            const double v = spacing->toDouble(&ok);
            if (ok && std::isfinite(v))
                current_.letterSpacing = v;
        }
    }

    void textFormatTag(const Tag& tag)
    {
        auto number = [&](const char* key, std::optional<double>& into) {
            double v = 0;
            bool relative = false;
            if (const QString* text = tag.attribute(key); text && leadingInteger(*text, v, relative))
                into = v;
        };
        number("leftmargin", current_.leftMargin);
        number("rightmargin", current_.rightMargin);
        number("indent", current_.indent);
        number("blockindent", current_.blockIndent);
        number("leading", current_.leading);
        if (const QString* stops = tag.attribute("tabstops")) {
            std::vector<double> list;
            for (const QString& part : stops->split(u','))
                if (static_cast<int>(list.size()) < limits::kMaxHtmlNesting)
                    list.push_back(part.trimmed().toInt());
            current_.tabStops = list;
        }
    }

    const TextFormat base_;
    TextFormat current_;
    std::optional<TextFormat> lastFont_;
    HtmlReading how_;
    std::vector<Open> open_;
    QString text_;                                       // all read so far
    std::vector<std::pair<QString, TextFormat>> pieces_; // and its pieces, each in its format
};

QString escaped(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char* entity = c == u'&' ? "&amp;"
            : c == u'<'                ? "&lt;"
            : c == u'>'                ? "&gt;"
            : c == u'"'                ? "&quot;"
            : c == u'\''               ? "&apos;"
                                       : nullptr;
        if (entity)
            out += QLatin1String(entity);
        else
            out += c;
    }
    return out;
}

QString number(double v) { return QString::number(std::trunc(v), 'f', 0); }

QString colorText(quint32 rgb) { return QStringLiteral("#%1").arg(rgb & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper(); }

// The attributes a <FONT> tag carries, in the order the player writes them.
QString fontAttributes(const TextFormat& f, const TextFormat* relativeTo)
{
    QString out;
    auto differs = [&](auto member) { return !relativeTo || f.*member != relativeTo->*member; };
    if (differs(&TextFormat::font))
        out += QStringLiteral(" FACE=\"%1\"").arg(escaped(f.font.value_or(QString())));
    if (differs(&TextFormat::size))
        out += QStringLiteral(" SIZE=\"%1\"").arg(number(f.size.value_or(0)));
    if (differs(&TextFormat::color))
        out += QStringLiteral(" COLOR=\"%1\"").arg(colorText(f.color.value_or(0)));
    if (differs(&TextFormat::letterSpacing))
        out += QStringLiteral(" LETTERSPACING=\"%1\"").arg(QString::number(f.letterSpacing.value_or(0), 'g', 15));
    if (differs(&TextFormat::kerning))
        out += QStringLiteral(" KERNING=\"%1\"").arg(f.kerning.value_or(false) ? 1 : 0);
    return out;
}

bool sameFont(const TextFormat& a, const TextFormat& b)
{
    return a.font == b.font && a.size == b.size && a.color == b.color && a.letterSpacing == b.letterSpacing
        && a.kerning == b.kerning;
}

QString textFormatAttributes(const TextFormat& f)
{
    QString out;
    auto add = [&](const char* name, const std::optional<double>& v) {
        if (v && std::trunc(*v) != 0)
            out += QStringLiteral(" %1=\"%2\"").arg(QLatin1String(name), number(*v));
    };
    add("LEFTMARGIN", f.leftMargin);
    add("RIGHTMARGIN", f.rightMargin);
    add("INDENT", f.indent);
    add("BLOCKINDENT", f.blockIndent);
    add("LEADING", f.leading);
    if (f.tabStops && !f.tabStops->empty()) {
        QStringList stops;
        for (const double s : *f.tabStops)
            stops << number(s);
        out += QStringLiteral(" TABSTOPS=\"%1\"").arg(stops.join(u','));
    }
    return out;
}

void writeParagraph(const FieldText& text, const FieldText::Paragraph& p, QString& out)
{
    const std::vector<FieldText::Span> spans = text.spans(p.begin, std::min(p.end + 1, text.size()));
    if (spans.empty())
        return;
    const TextFormat& first = *spans.front().format;
    const QString layout = textFormatAttributes(first);
    if (!layout.isEmpty())
        out += QStringLiteral("<TEXTFORMAT%1>").arg(layout);
    const bool bullet = first.bullet.value_or(false);
    if (bullet) {
        out += QLatin1String("<LI>");
    } else {
        static const char* aligns[] = {"LEFT", "RIGHT", "CENTER", "JUSTIFY"};
        out += QStringLiteral("<P ALIGN=\"%1\">")
                   .arg(QLatin1String(aligns[int(first.align.value_or(TextFormat::Align::Left))]));
    }
    // Font tags nest: a run goes back to an enclosing one that it matches,
    // else opens one inside with what differs.
    std::vector<const TextFormat*> fonts;
    for (const FieldText::Span& span : spans) {
        const TextFormat& f = *span.format;
        auto match = std::find_if(fonts.rbegin(), fonts.rend(), [&](const TextFormat* o) { return sameFont(*o, f); });
        if (match != fonts.rend()) {
            for (auto n = match - fonts.rbegin(); n > 0; --n) {
                out += QLatin1String("</FONT>");
                fonts.pop_back();
            }
        } else {
            out += QStringLiteral("<FONT%1>").arg(fontAttributes(f, fonts.empty() ? nullptr : fonts.back()));
            fonts.push_back(&f);
        }
        QString inner = escaped(QStringView(text.text()).mid(span.begin, span.end - span.begin));
        if (inner.endsWith(u'\r'))
            inner.chop(1);
        if (f.underline.value_or(false))
            inner = QStringLiteral("<U>%1</U>").arg(inner);
        if (f.italic.value_or(false))
            inner = QStringLiteral("<I>%1</I>").arg(inner);
        if (f.bold.value_or(false))
            inner = QStringLiteral("<B>%1</B>").arg(inner);
        if (!f.url.value_or(QString()).isEmpty())
            inner = QStringLiteral("<A HREF=\"%1\" TARGET=\"%2\">%3</A>")
                        .arg(escaped(*f.url), escaped(f.target.value_or(QString())), inner);
        out += inner;
    }
    for (size_t n = fonts.size(); n > 0; --n)
        out += QLatin1String("</FONT>");
    out += bullet ? QLatin1String("</LI>") : QLatin1String("</P>");
    if (!layout.isEmpty())
        out += QLatin1String("</TEXTFORMAT>");
}

} // namespace

QString decodeEntities(QStringView text, bool nbsp)
{
    if (!text.contains(u'&'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype semicolon = text[i] == u'&' ? text.indexOf(u';', i) : -1;
        if (semicolon < 0 || semicolon - i > 10) {
            out += text[i];
            continue;
        }
        const QStringView name = text.mid(i + 1, semicolon - i - 1);
        char32_t c = 0;
        if (name == QLatin1String("lt"))
            c = '<';
        else if (name == QLatin1String("gt"))
            c = '>';
        else if (name == QLatin1String("amp"))
            c = '&';
        else if (name == QLatin1String("quot"))
            c = '"';
        else if (name == QLatin1String("apos"))
            c = '\'';
        else if (nbsp && name == QLatin1String("nbsp"))
            c = 0xA0;
        else if (name.startsWith(u'#')) {
            bool ok = false;
            const uint v = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive) ? name.mid(2).toUInt(&ok, 16)
                                                                                     : name.mid(1).toUInt(&ok, 10);
            c = ok && v > 0 && v <= 0x10FFFF ? v : 0;
        }
        if (c == 0) {
            out += text[i];
            continue;
        }
        out += QString::fromUcs4(&c, 1);
        i = semicolon; // each entity is read once: "&amp;lt;" is "&lt;"
    }
    return out;
}

FieldText readHtml(const QString& html, const TextFormat& base, const HtmlReading& how)
{
    Reader reader(base, how);
    qsizetype i = 0;
    while (i < html.size()) {
        const qsizetype open = html.indexOf(u'<', i);
        if (open < 0) {
            reader.text(QStringView(html).mid(i));
            break;
        }
        if (open > i)
            reader.text(QStringView(html).mid(i, open - i));
        if (QStringView(html).mid(open).startsWith(QLatin1String("<!--"))) {
            const qsizetype end = html.indexOf(QLatin1String("-->"), open + 4);
            if (end < 0)
                break;
            i = end + 3;
            continue;
        }
        // The tag ends at the first ">" outside quotes.
        qsizetype close = open + 1;
        QChar quote;
        for (; close < html.size(); ++close) {
            const QChar c = html[close];
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == u'>') {
                break;
            }
        }
        if (close >= html.size())
            break; // a tag cut off: the text ends there
        reader.tag(parseTag(QStringView(html).mid(open + 1, close - open - 1)));
        i = close + 1;
    }
    return reader.finish();
}

QString writeHtml(const FieldText& text)
{
    QString out;
    const std::vector<FieldText::Paragraph> paragraphs = text.paragraphs();
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        const FieldText::Paragraph& p = paragraphs[i];
        if (i + 1 == paragraphs.size() && p.begin == p.end)
            break; // the empty line after a last line break is no paragraph
        writeParagraph(text, p, out);
    }
    return out;
}

} // namespace movie
