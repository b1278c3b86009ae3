// Edit fields' text laid out as the player lays it out: measured in whole
// twips, glyph by glyph, in the movie's fonts or the system's.
#include "movie/draw/TextLayout.h"

#include "movie/Limits.h"
#include "movie/draw/Text.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

namespace movie {

namespace {

// A font at one size, as the layout sees it: advances and line metrics in
// twips.
class Typeface {
public:
    virtual ~Typeface() = default;
    // The advance of `c` after `previous` (0 at the start), kerning included.
    virtual double advance(char32_t c, char32_t previous) const = 0;
    virtual void draw(char32_t c, double x, double baseline, QPainterPath& out) const = 0;
    double ascent = 0;
    double descent = 0;
};

// A font of the movie. Advances are cut to whole twips glyph by glyph.
class GlyphTypeface : public Typeface {
public:
    GlyphTypeface(const FontDef& font, double size, bool kerning)
        : font_(font), scale_(size / font.unitsPerEm), kerning_(kerning)
    {
        if (font.hasLayout && font.ascent + font.descent > 0) {
            ascent = std::trunc(font.ascent * scale_);
            descent = std::trunc(font.descent * scale_);
        } else {
            ascent = std::trunc(size * 0.8);
            descent = std::trunc(size * 0.2);
        }
    }
    double advance(char32_t c, char32_t previous) const override
    {
        const int g = font_.glyphFor(c);
        if (g < 0)
            return 0; // a character the font lacks takes no room
        const double kern = kerning_ && previous ? std::trunc(font_.kerning(previous, c) * scale_) : 0;
        return std::trunc(font_.advance(g) * scale_) + kern;
    }
    void draw(char32_t c, double x, double baseline, QPainterPath& out) const override
    {
        const int g = font_.glyphFor(c);
        if (g < 0)
            return;
        const QTransform t = QTransform::fromScale(scale_, scale_) * QTransform::fromTranslate(x, baseline);
        out.addPath(t.map(font_.glyph(g)));
    }

private:
    const FontDef& font_;
    double scale_;
    bool kerning_;
};

// A font of the system, in whole pixels as the player's system fonts
// measure; the generic families the authoring tools name with a leading
// underscore map to the system's.
class SystemTypeface : public Typeface {
public:
    SystemTypeface(const QString& face, bool bold, bool italic, double size)
        : font_(makeFont(face, bold, italic, size)), metrics_(font_)
    {
        ascent = metrics_.ascent() * 20.0;
        descent = metrics_.descent() * 20.0;
    }
    double advance(char32_t c, char32_t) const override
    {
        return metrics_.horizontalAdvance(QString::fromUcs4(&c, 1)) * 20.0;
    }
    void draw(char32_t c, double x, double baseline, QPainterPath& out) const override
    {
        QPainterPath glyph;
        glyph.addText(QPointF(0, 0), font_, QString::fromUcs4(&c, 1));
        out.addPath((QTransform::fromScale(20, 20) * QTransform::fromTranslate(x, baseline)).map(glyph));
    }

private:
    static QFont makeFont(const QString& name, bool bold, bool italic, double size)
    {
        QFont f;
        if (name == QLatin1String("_serif")) {
            f.setStyleHint(QFont::Serif);
            f.setFamily(QStringLiteral("Serif"));
        } else if (name == QLatin1String("_typewriter")) {
            f.setStyleHint(QFont::Monospace);
            f.setFamily(QStringLiteral("Monospace"));
        } else if (name.isEmpty() || name == QLatin1String("_sans")) {
            f.setStyleHint(QFont::SansSerif);
            f.setFamily(QStringLiteral("Sans Serif"));
        } else {
            f.setFamily(name);
        }
        f.setPixelSize(std::clamp(qRound(size / 20), 1, 2000));
        f.setBold(bold);
        f.setItalic(italic);
        return f;
    }
    QFont font_;
    QFontMetrics metrics_;
};

// Without a GUI application there are no system fonts: text in them is
// measured as a plain face of its size, in whole pixels, and not drawn.
class MeasureTypeface : public Typeface {
public:
    explicit MeasureTypeface(double size) : pixels_(std::max(1.0, std::round(size / 20)))
    {
        ascent = std::round(pixels_ * 0.9) * 20;
        descent = std::round(pixels_ * 0.22) * 20;
    }
    double advance(char32_t c, char32_t) const override { return std::round(pixels_ * (c == ' ' ? 0.25 : 0.5)) * 20; }
    void draw(char32_t, double, double, QPainterPath&) const override {}

private:
    double pixels_;
};

// The typefaces of a layout, made once per font, size and style.
class Typefaces {
public:
    Typefaces(const FontSet* fonts, bool embedded)
        : fonts_(fonts), embedded_(embedded),
          system_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {}

    // Null when the text cannot be shown: an embedded font the movie lacks.
    const Typeface* of(const TextFormat& f)
    {
        const QString name = f.font.value_or(QString());
        const double size = std::max(0.0, f.size.value_or(12)) * 20;
        const bool bold = f.bold.value_or(false), italic = f.italic.value_or(false);
        const bool kerning = f.kerning.value_or(false);
        const Key key{name, size, bold, italic, kerning};
        if (const auto it = made_.find(key); it != made_.end())
            return it->second.get();
        if (static_cast<int>(made_.size()) >= limits::kMaxFieldTypefaces)
            return made_.begin()->second.get();
        std::unique_ptr<Typeface> face;
        if (embedded_) {
            const FontDef* font = fonts_ ? fonts_->byName(name, bold, italic) : nullptr;
            if (font && !font->codes.empty())
                face = std::make_unique<GlyphTypeface>(*font, size, kerning);
        } else if (system_) {
            face = std::make_unique<SystemTypeface>(name, bold, italic, size);
        } else {
            face = std::make_unique<MeasureTypeface>(size);
        }
        return (made_[key] = std::move(face)).get();
    }

private:
    using Key = std::tuple<QString, double, bool, bool, bool>;
    const FontSet* fonts_;
    bool embedded_;
    bool system_;
    std::map<Key, std::unique_ptr<Typeface>> made_;
};

double twips(const std::optional<double>& pixels) { return pixels.value_or(0) * 20; }

QPainterPath& inkOf(TextLayout& layout, const QColor& colour)
{
    for (auto& [c, path] : layout.ink)
        if (c == colour)
            return path;
    layout.ink.emplace_back(colour, QPainterPath());
    layout.ink.back().second.setFillRule(Qt::WindingFill);
    return layout.ink.back().second;
}

// A character placed on a line.
struct Placed {
    char32_t shown;
    const TextFormat* format;
    const Typeface* face;
    double advance; // letter spacing included
    bool space;
};

class LineBreaker {
public:
    LineBreaker(const FieldText& text, const TextBox& box, Typefaces& faces, TextLayout& out)
        : text_(text), box_(box), faces_(faces), out_(out)
    {}

    void paragraph(const FieldText::Paragraph& p)
    {
        const TextFormat& paragraphFormat = text_.formatAt(p.begin < text_.size() ? p.begin : text_.size() - 1);
        std::vector<Placed> chars;
        std::vector<qsizetype> index; // of each placed character in the text
        char32_t previous = 0;
        for (const FieldText::Span& span : text_.spans(p.begin, p.end)) {
            const Typeface* face = faces_.of(*span.format);
            const double spacing = twips(span.format->letterSpacing);
            for (qsizetype i = span.begin; i < span.end; ++i) {
                char32_t c = text_.text()[i].unicode();
                if (QChar::isHighSurrogate(c) && i + 1 < span.end) {
                    c = QChar::surrogateToUcs4(text_.text()[i], text_.text()[i + 1]);
                    index.push_back(i++);
                } else {
                    index.push_back(i);
                }
                const char32_t shown = box_.password ? U'*' : c;
                const double advance = face ? face->advance(shown, previous) + spacing : 0;
                chars.push_back({shown, span.format, face, advance, shown == ' ' || shown == '\t'});
                previous = shown;
            }
        }
        const double margins = twips(paragraphFormat.leftMargin) + twips(paragraphFormat.blockIndent)
            + (paragraphFormat.bullet.value_or(false) ? bulletIndent(paragraphFormat) : 0);
        const double room = box_.width - 2 * kFieldGutter - margins - twips(paragraphFormat.rightMargin);
        size_t start = 0;
        bool first = true;
        do {
            const double indent = first ? twips(paragraphFormat.indent) : 0;
            size_t end = start;
            size_t lastBreak = start;
            double width = 0;
            for (; end < chars.size(); ++end) {
                const Placed& c = chars[end];
                if (box_.wordWrap && !c.space && end > start && width + c.advance > room - indent) {
                    if (lastBreak > start)
                        end = lastBreak;
                    break;
                }
                width += c.advance;
                if (c.space && end + 1 < chars.size() && !chars[end + 1].space)
                    lastBreak = end + 1;
            }
            // A line measures its spaces, those it wrapped after too.
            width = 0;
            for (size_t i = start; i < end; ++i)
                width += chars[i].advance;
            const qsizetype begin = start < index.size() ? index[start] : p.begin;
            const qsizetype stop = end < index.size() ? index[end] : p.end;
            placeLine(chars, start, end, begin, stop, width, margins + indent, room - indent, paragraphFormat,
                      first && paragraphFormat.bullet.value_or(false));
            start = end;
            first = false;
        } while (start < chars.size());
    }

private:
    static double bulletIndent(const TextFormat& f) { return twips(f.size) * 1.5; }

    void placeLine(const std::vector<Placed>& chars, size_t from, size_t to, qsizetype begin, qsizetype end,
                   double width, double left, double room, const TextFormat& paragraph, bool bullet)
    {
        TextLayout::Line line;
        line.begin = begin;
        line.end = end;
        line.top = out_.height;
        line.leading = twips(paragraph.leading);
        if (from == to) {
            // An empty line is as high as the format of its line break.
            const Typeface* face = faces_.of(text_.formatAt(std::min(end, text_.size() - 1)));
            line.ascent = face ? face->ascent : 0;
            line.descent = face ? face->descent : 0;
        }
        for (size_t i = from; i < to; ++i) {
            if (!chars[i].face)
                continue;
            line.ascent = std::max(line.ascent, chars[i].face->ascent);
            line.descent = std::max(line.descent, chars[i].face->descent);
        }
        const double spare = std::max(0.0, room - width);
        const auto align = paragraph.align.value_or(TextFormat::Align::Left);
        line.x = kFieldGutter + left
            + (align == TextFormat::Align::Right        ? spare
                   : align == TextFormat::Align::Center ? spare / 2
                                                        : 0);
        line.width = width;
        const double baseline = line.top + line.ascent;
        if (bullet && from < to && chars[from].face) {
            const QColor colour = QColor::fromRgb(QRgb(chars[from].format->color.value_or(0) | 0xFF000000U));
            chars[from].face->draw(0x2022, line.x - bulletIndent(paragraph) * 2 / 3, baseline, inkOf(out_, colour));
        }
        double x = line.x;
        for (size_t i = from; i < to; ++i) {
            const Placed& c = chars[i];
            const QColor colour = QColor::fromRgb(QRgb(c.format->color.value_or(0) | 0xFF000000U));
            if (c.face && !c.space && drawn_++ < limits::kMaxFieldGlyphs) {
                QPainterPath& path = inkOf(out_, colour);
                c.face->draw(c.shown, x, baseline, path);
                if (c.format->underline.value_or(false)) {
                    const double thickness = std::max(20.0, twips(c.format->size) / 16);
                    path.addRect(QRectF(x, baseline + thickness, c.advance, thickness));
                }
            }
            x += c.advance;
        }
        out_.width = std::max(out_.width, line.width);
        out_.height += line.height();
        out_.lines.push_back(line);
    }

    const FieldText& text_;
    const TextBox& box_;
    Typefaces& faces_;
    TextLayout& out_;
    int drawn_ = 0;
};

} // namespace

TextLayout layOutText(const FieldText& text, const TextBox& box, const FontSet* fonts)
{
    TextLayout layout;
    if (text.isEmpty())
        return layout;
    Typefaces faces(fonts, box.embedFonts);
    LineBreaker breaker(text, box, faces, layout);
    for (const FieldText::Paragraph& p : text.paragraphs())
        breaker.paragraph(p);
    // The text's height leaves out the leading under its last line, unless
    // that line is its only one.
    if (layout.lines.size() > 1)
        layout.height -= layout.lines.back().leading;
    return layout;
}

} // namespace movie
