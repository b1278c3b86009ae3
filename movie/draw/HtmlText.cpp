// The HTML of edit fields, read into paragraphs of styled runs.
#include "movie/draw/HtmlText.h"

#include "movie/Limits.h"

#include <algorithm>

namespace movie {

namespace {

// The value of attribute `name` of a tag's text, quoted or not.
QString attribute(const QString& tag, const char* name)
{
    const QLatin1String key(name);
    qsizetype at = 0;
    while ((at = tag.indexOf(key, at, Qt::CaseInsensitive)) >= 0) {
        const bool starts = at > 0 && tag[at - 1].isSpace();
        qsizetype i = at + key.size();
        at = i;
        while (i < tag.size() && tag[i].isSpace())
            ++i;
        if (!starts || i >= tag.size() || tag[i] != QLatin1Char('='))
            continue;
        ++i;
        while (i < tag.size() && tag[i].isSpace())
            ++i;
        if (i < tag.size() && (tag[i] == QLatin1Char('"') || tag[i] == QLatin1Char('\''))) {
            const qsizetype end = tag.indexOf(tag[i], i + 1);
            return end < 0 ? tag.mid(i + 1) : tag.mid(i + 1, end - i - 1);
        }
        qsizetype end = i;
        while (end < tag.size() && !tag[end].isSpace())
            ++end;
        return tag.mid(i, end - i);
    }
    return {};
}

// The tag's name, in lower case.
QString tagName(const QString& tag, bool closing)
{
    qsizetype i = closing ? 1 : 0;
    qsizetype end = i;
    while (end < tag.size() && !tag[end].isSpace() && tag[end] != QLatin1Char('/'))
        ++end;
    return tag.mid(i, end - i).toLower();
}

// A length in pixels of the HTML, in twips; `fallback` when absent or bad.
double twips(const QString& value, double fallback)
{
    bool ok = false;
    const double v = value.toDouble(&ok);
    return ok ? std::clamp(v, -4000.0, 4000.0) * 20 : fallback;
}

class Reader {
public:
    Reader(const TextRun& style, const TextParagraph& format) : format_(format)
    {
        styles_.push_back(style);
        paragraphs_.push_back(format);
    }

    void text(const QString& raw)
    {
        const QString text = decodeEntities(raw);
        qsizetype start = 0;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            if (i < text.size() && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r'))
                continue;
            append(text.mid(start, i - start));
            if (i < text.size()) {
                if (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                    ++i;
                newParagraph();
            }
            start = i + 1;
        }
    }

    void tag(const QString& tag)
    {
        const bool closing = tag.startsWith(QLatin1Char('/'));
        const QString name = tagName(tag, closing);
        if (name == QLatin1String("br")) {
            newParagraph();
        } else if (name == QLatin1String("p") || name == QLatin1String("li")) {
            if (closing) {
                endParagraph_ = true;
                return;
            }
            if (!paragraphs_.back().runs.empty() || endParagraph_)
                newParagraph();
            TextParagraph& p = paragraphs_.back();
            p.bullet = name == QLatin1String("li");
            const QString align = attribute(tag, "align").toLower();
            if (name == QLatin1String("p"))
                p.align = align == QLatin1String("right") ? 1
                    : align == QLatin1String("center")    ? 2
                    : align == QLatin1String("justify")   ? 3
                    : align == QLatin1String("left")      ? 0
                                                          : format_.align;
        } else if (name == QLatin1String("textformat")) {
            if (closing)
                return;
            format_.indent = twips(attribute(tag, "indent"), format_.indent);
            format_.leading = twips(attribute(tag, "leading"), format_.leading);
            format_.leftMargin = twips(attribute(tag, "leftmargin"), format_.leftMargin);
            format_.rightMargin = twips(attribute(tag, "rightmargin"), format_.rightMargin);
            format_.blockIndent = twips(attribute(tag, "blockindent"), format_.blockIndent);
            if (paragraphs_.back().runs.empty())
                applyFormat(paragraphs_.back());
        } else if (name == QLatin1String("font") || name == QLatin1String("b") || name == QLatin1String("i")
                   || name == QLatin1String("u")) {
            if (closing) {
                if (styles_.size() > 1)
                    styles_.pop_back();
                return;
            }
            TextRun style = styles_.back();
            if (name == QLatin1String("b"))
                style.bold = true;
            else if (name == QLatin1String("i"))
                style.italic = true;
            else if (name == QLatin1String("u"))
                style.underline = true;
            else
                fontTag(tag, style);
            // Deeper than the bound, a style is taken as the one it is in.
            if (static_cast<int>(styles_.size()) < limits::kMaxHtmlNesting)
                styles_.push_back(style);
            else
                styles_.push_back(styles_.back());
        }
    }

    std::vector<TextParagraph> finish()
    {
        // The closing paragraph ends the text; it adds no line.
        if (paragraphs_.size() > 1 && paragraphs_.back().runs.empty())
            paragraphs_.pop_back();
        return std::move(paragraphs_);
    }

private:
    static void fontTag(const QString& tag, TextRun& style)
    {
        const QString face = attribute(tag, "face");
        if (!face.isEmpty())
            style.face = face.section(QLatin1Char(','), 0, 0).trimmed();
        const QString size = attribute(tag, "size");
        if (!size.isEmpty()) {
            const bool relative = size.startsWith(QLatin1Char('+')) || size.startsWith(QLatin1Char('-'));
            const double value = twips(size, relative ? 0 : style.size);
            style.size = std::clamp(relative ? style.size + value : value, 20.0, 2000.0 * 20);
        }
        const QString color = attribute(tag, "color");
        if (color.startsWith(QLatin1Char('#')) && color.size() == 7) {
            bool ok = false;
            const uint rgb = color.mid(1).toUInt(&ok, 16);
            if (ok)
                style.color = QColor::fromRgb(QRgb(rgb | 0xFF000000U));
        }
    }

    void applyFormat(TextParagraph& p) const
    {
        p.indent = format_.indent;
        p.leading = format_.leading;
        p.leftMargin = format_.leftMargin;
        p.rightMargin = format_.rightMargin;
        p.blockIndent = format_.blockIndent;
    }

    void append(const QString& text)
    {
        if (text.isEmpty())
            return;
        if (endParagraph_)
            newParagraph();
        std::vector<TextRun>& runs = paragraphs_.back().runs;
        const TextRun& style = styles_.back();
        if (!runs.empty() && runs.back().face == style.face && runs.back().size == style.size
            && runs.back().color == style.color && runs.back().bold == style.bold && runs.back().italic == style.italic
            && runs.back().underline == style.underline) {
            runs.back().text += text;
            return;
        }
        TextRun run = style;
        run.text = text;
        runs.push_back(std::move(run));
    }

    void newParagraph()
    {
        TextParagraph next;
        next.align = paragraphs_.back().align;
        applyFormat(next);
        paragraphs_.push_back(std::move(next));
        endParagraph_ = false;
    }

    TextParagraph format_;
    std::vector<TextRun> styles_;
    std::vector<TextParagraph> paragraphs_;
    bool endParagraph_ = false;
};

} // namespace

QString decodeEntities(QString text)
{
    return text.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&apos;"), QLatin1String("'"))
        .replace(QLatin1String("&nbsp;"), QString(QChar(0xA0)))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

std::vector<TextParagraph> parseHtmlText(const QString& html, const TextRun& style, const TextParagraph& format)
{
    Reader reader(style, format);
    qsizetype i = 0;
    while (i < html.size()) {
        const qsizetype open = html.indexOf(QLatin1Char('<'), i);
        if (open < 0) {
            reader.text(html.mid(i));
            break;
        }
        reader.text(html.mid(i, open - i));
        const qsizetype close = html.indexOf(QLatin1Char('>'), open);
        if (close < 0)
            break; // a tag cut off: the text ends there
        reader.tag(html.mid(open + 1, close - open - 1));
        i = close + 1;
    }
    return reader.finish();
}

} // namespace movie
